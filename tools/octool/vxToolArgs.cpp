// Argument parsing and strict number parsing for octool.
#include "vxToolArgs.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

} // namespace

vxToolArgs::vxToolArgs(int argc, char** argv, int first, const Accepted& accepted) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (static_cast<long>(positionals_.size()) >= accepted.maxPositionals)
                throw vxToolError("unexpected argument '" + arg + "'");
            positionals_.push_back(arg);
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(2, eq == std::string::npos ? eq : eq - 2);
        if (name == "help" || contains(accepted.flags, name)) {
            if (eq != std::string::npos) throw vxToolError("--" + name + " takes no value");
            values_[name].emplace_back();
            continue;
        }
        if (!contains(accepted.valued, name)) throw vxToolError("unknown option --" + name);
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else {
            if (i + 1 >= argc) throw vxToolError("--" + name + " needs a value");
            value = argv[++i];
        }
        if (values_.count(name) && !contains(accepted.repeatable, name))
            throw vxToolError("--" + name + " given twice");
        values_[name].push_back(value);
    }
}

const std::string& vxToolArgs::value(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end()) throw vxToolError("missing --" + name);
    return it->second.front();
}

std::string vxToolArgs::value(const std::string& name, const std::string& fallback) const {
    return has(name) ? value(name) : fallback;
}

std::vector<std::string> vxToolArgs::values(const std::string& name) const {
    const auto it = values_.find(name);
    return it == values_.end() ? std::vector<std::string>() : it->second;
}

double vxToolArgs::number(const std::string& name, double fallback) const {
    return has(name) ? vfToolParseDouble(value(name), "--" + name) : fallback;
}

long vxToolArgs::integer(const std::string& name, long fallback) const {
    return has(name) ? vfToolParseLong(value(name), "--" + name) : fallback;
}

double vfToolParseDouble(const std::string& text, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    const double v = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        throw vxToolError(what + ": '" + text + "' is not a number");
    return v;
}

long vfToolParseLong(const std::string& text, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    const long v = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        throw vxToolError(what + ": '" + text + "' is not an integer");
    return v;
}
