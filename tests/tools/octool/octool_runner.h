// Running octool as a process in a temporary folder, and reading the JSON it writes.
#pragma once

#include "../../json_support.h"

#include <filesystem>
#include <string>
#include <vector>

// What one run of the tool left: exit code (-1 when it did not exit normally, e.g. on
// a signal), stdout and stderr.
struct OctoolRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    // Exited with a non-zero code and said why on exactly one "octool: ..." line.
    bool failedCleanly() const;
};

// A fresh temporary folder, removed with the object; runs the tool inside it.
class OctoolSandbox {
public:
    OctoolSandbox();
    ~OctoolSandbox();
    OctoolSandbox(const OctoolSandbox&) = delete;
    OctoolSandbox& operator=(const OctoolSandbox&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // Runs octool with the arguments (each passed as one word) in the folder; `setup`
    // is shell text run first in the same shell (e.g. "ulimit -f 1;").
    OctoolRun run(const std::vector<std::string>& args, const std::string& setup = "") const;
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

    // Renders a sample sheet of 0, 1 and 2 (cap height 24) with its manifest
    // ("sheet.pgm", "manifest.txt") and teaches it into `alphabet`, compiled or not;
    // whether both commands succeeded.
    bool teachSmallSheet(const std::string& alphabet, bool compile) const;

private:
    std::filesystem::path dir_;
};
