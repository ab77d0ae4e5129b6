// Running octool as a process in a temporary folder, and reading the JSON it writes.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <variant>
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

// A parsed JSON value; enough for the tool's output and the truth files.
struct Json {
    // Declared here and defaulted in the source: defined inline, they would need the
    // map of Json complete while Json itself is not (clang with libstdc++ refuses it).
    Json();
    Json(const Json&);
    Json(Json&&) noexcept;
    Json& operator=(const Json&);
    Json& operator=(Json&&) noexcept;
    ~Json();

    std::variant<std::nullptr_t, bool, double, std::string, std::vector<Json>,
                 std::map<std::string, Json>>
        value;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](std::size_t i) const { return items().at(i); }
    const std::vector<Json>& items() const { return std::get<std::vector<Json>>(value); }
    const std::map<std::string, Json>& members() const {
        return std::get<std::map<std::string, Json>>(value);
    }
    bool has(const std::string& key) const { return members().count(key) != 0; }
    const std::string& str() const { return std::get<std::string>(value); }
    double num() const { return std::get<double>(value); }
    bool flag() const { return std::get<bool>(value); }
};

// Parses the whole text; throws std::runtime_error when it is not one JSON value.
Json parseJson(const std::string& text);
