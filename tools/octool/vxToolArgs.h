// Command-line arguments of one octool subcommand: options with a value
// (--name VALUE or --name=VALUE), flags (--name) and positional arguments, checked
// against what the subcommand accepts; plus strict number parsing for option values.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// A fault in what the user gave the tool (arguments, files, manifests). main prints
// its message after "octool: " and exits non-zero.
class vxToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class vxToolArgs {
public:
    // What a subcommand accepts. `valued` options take a value; those also listed in
    // `repeatable` may be given several times. `--help` is always accepted as a flag.
    struct Accepted {
        std::vector<std::string> valued;
        std::vector<std::string> flags;
        std::vector<std::string> repeatable;
        long maxPositionals = 0;
    };

    // Parses argv[first] .. argv[argc - 1]. Throws vxToolError for an unknown option, an
    // option without its value, a flag given a value, a non-repeatable option given
    // twice, or too many positional arguments. A lone "--" ends the options.
    vxToolArgs(int argc, char** argv, int first, const Accepted& accepted);

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The value of a valued option; throws vxToolError "missing --name" when absent.
    const std::string& value(const std::string& name) const;
    // The value, or `fallback` when the option is absent.
    std::string value(const std::string& name, const std::string& fallback) const;
    // Every value of an option in the order given (empty when absent).
    std::vector<std::string> values(const std::string& name) const;
    // A number option's value, or `fallback` when absent; throws vxToolError when the
    // value is not a finite number (or not an integer).
    double number(const std::string& name, double fallback) const;
    long integer(const std::string& name, long fallback) const;
    const std::vector<std::string>& positionals() const { return positionals_; }

private:
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> positionals_;
};

// The whole of `text` as a finite double / an integer in long's range; throws
// vxToolError naming `what` otherwise.
double vfToolParseDouble(const std::string& text, const std::string& what);
long vfToolParseLong(const std::string& text, const std::string& what);
