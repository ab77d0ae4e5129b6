// The process runner of the octool tests.
#include "octool_runner.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

bool OctoolRun::failedCleanly() const {
    return exitCode > 0 && exitCode < 128 && err.rfind("octool: ", 0) == 0 &&
           err.find('\n') == err.size() - 1;
}

OctoolSandbox::OctoolSandbox() {
    std::random_device seed;
    dir_ = fs::temp_directory_path() / ("octool-test-" + std::to_string(seed()));
    fs::create_directories(dir_);
}

OctoolSandbox::~OctoolSandbox() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

OctoolRun OctoolSandbox::run(const std::vector<std::string>& args, const std::string& setup) const {
    std::string command = "cd ";
    command += quoted(dir_.string());
    command += " && ";
    command += setup;
    command += quoted(OCTOOL_PATH);
    for (const std::string& a : args) {
        command += ' ';
        command += quoted(a);
    }
    command += " > .stdout 2> .stderr";
    const int status = std::system(command.c_str());
    OctoolRun r;
    if (status != -1 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.out = read(".stdout");
    r.err = read(".stderr");
    return r;
}

void OctoolSandbox::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
}

std::string OctoolSandbox::read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool OctoolSandbox::teachSmallSheet(const std::string& alphabet, bool compile) const {
    if (run({"render", "--out", "sheet.pgm", "--sheet", "012", "--manifest", "manifest.txt",
             "--size", "24"})
            .exitCode != 0)
        return false;
    std::vector<std::string> teach = {"teach", "--out", alphabet};
    if (!compile) teach.push_back("--no-compile");
    teach.push_back("manifest.txt");
    return run(teach).exitCode == 0;
}
