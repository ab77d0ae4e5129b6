// The process runner and the small JSON reader of the octool tests.
#include "octool_runner.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}

    Json document() {
        Json j = value();
        skip();
        if (i_ != s_.size()) fail();
        return j;
    }

private:
    [[noreturn]] void fail() const {
        throw std::runtime_error("not JSON at offset " + std::to_string(i_));
    }
    void skip() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    char next() {
        skip();
        if (i_ >= s_.size()) fail();
        return s_[i_];
    }
    void expect(char c) {
        if (next() != c) fail();
        ++i_;
    }
    bool word(const char* w) {
        const std::string text = w;
        if (s_.compare(i_, text.size(), text) != 0) return false;
        i_ += text.size();
        return true;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            if (s_[i_] == '\\' && i_ + 1 < s_.size()) ++i_; // the tool escapes only " and \ here
            out += s_[i_++];
        }
        if (i_ >= s_.size()) fail();
        ++i_;
        return out;
    }
    Json value() {
        Json j;
        const char c = next();
        if (c == '{') {
            ++i_;
            std::map<std::string, Json> members;
            if (next() == '}') {
                ++i_;
            } else {
                for (;;) {
                    std::string key = string();
                    expect(':');
                    members[key] = value();
                    if (next() == ',') {
                        ++i_;
                        continue;
                    }
                    expect('}');
                    break;
                }
            }
            j.value = std::move(members);
        } else if (c == '[') {
            ++i_;
            std::vector<Json> items;
            if (next() == ']') {
                ++i_;
            } else {
                for (;;) {
                    items.push_back(value());
                    if (next() == ',') {
                        ++i_;
                        continue;
                    }
                    expect(']');
                    break;
                }
            }
            j.value = std::move(items);
        } else if (c == '"') {
            j.value = string();
        } else if (word("true")) {
            j.value = true;
        } else if (word("false")) {
            j.value = false;
        } else if (word("null")) {
            j.value = nullptr;
        } else {
            std::size_t used = 0;
            try {
                j.value = std::stod(s_.substr(i_, 40), &used);
            } catch (const std::exception&) {
                fail();
            }
            i_ += used;
        }
        return j;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

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

Json::Json() = default;
Json::Json(const Json&) = default;
Json::Json(Json&&) noexcept = default;
Json& Json::operator=(const Json&) = default;
Json& Json::operator=(Json&&) noexcept = default;
Json::~Json() = default;

const Json& Json::operator[](const std::string& key) const {
    const auto& m = members();
    const auto it = m.find(key);
    if (it == m.end()) throw std::runtime_error("no member " + key);
    return it->second;
}

Json parseJson(const std::string& text) {
    return Parser(text).document();
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
