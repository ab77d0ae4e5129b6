// A small JSON reader for the tests: the tool's output and the real-font truth file.
// Strings hold no escapes but \" and \\.
#pragma once

#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

struct Json {
    // Declared here and defaulted below the class: defined inline, they would need the
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

    const Json& operator[](const std::string& key) const {
        const auto it = members().find(key);
        if (it == members().end()) throw std::runtime_error("no member " + key);
        return it->second;
    }
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

inline Json::Json() = default;
inline Json::Json(const Json&) = default;
inline Json::Json(Json&&) noexcept = default;
inline Json& Json::operator=(const Json&) = default;
inline Json& Json::operator=(Json&&) noexcept = default;
inline Json::~Json() = default;

namespace json_detail {

struct Parser {
    const std::string& s;
    std::size_t i = 0;

    [[noreturn]] void fail() const {
        throw std::runtime_error("not JSON at offset " + std::to_string(i));
    }
    char next() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        if (i >= s.size()) fail();
        return s[i];
    }
    void expect(char c) {
        if (next() != c) fail();
        ++i;
    }
    bool word(const std::string& w) {
        if (s.compare(i, w.size(), w) != 0) return false;
        i += w.size();
        return true;
    }
    std::string string() {
        expect('"');
        std::string out;
        for (; i < s.size() && s[i] != '"'; ++i)
            out += s[i] == '\\' && i + 1 < s.size() ? s[++i] : s[i];
        if (i >= s.size()) fail();
        ++i;
        return out;
    }
    // Calls `item` for each element of a '{' or '[' group up to its closing character.
    template <class F> void group(char close, F item) {
        ++i;
        if (next() == close) {
            ++i;
            return;
        }
        for (item(); next() == ','; item())
            ++i;
        expect(close);
    }
    Json value() {
        Json j;
        const char c = next();
        if (c == '{') {
            std::map<std::string, Json> members;
            group('}', [&] {
                std::string key = string();
                expect(':');
                members[key] = value();
            });
            j.value = std::move(members);
        } else if (c == '[') {
            std::vector<Json> items;
            group(']', [&] { items.push_back(value()); });
            j.value = std::move(items);
        } else if (c == '"') {
            j.value = string();
        } else if (word("true")) {
            j.value = true;
        } else if (word("false")) {
            j.value = false;
        } else if (!word("null")) {
            std::size_t used = 0;
            try {
                j.value = std::stod(s.substr(i, 40), &used);
            } catch (const std::exception&) {
                fail();
            }
            i += used;
        }
        return j;
    }
};

} // namespace json_detail

// Parses the whole text; throws std::runtime_error when it is not one JSON value.
inline Json parseJson(const std::string& text) {
    json_detail::Parser p{text};
    Json j = p.value();
    while (p.i < text.size() && std::isspace(static_cast<unsigned char>(text[p.i])))
        ++p.i;
    if (p.i != text.size()) p.fail();
    return j;
}
