// A tiny streaming JSON writer: objects, arrays, strings, numbers and booleans,
// with commas placed automatically and one member or element per line (or everything
// on one line). Arrays opened as `inline` keep their elements on one line (for
// coordinate pairs).
#pragma once

#include <ostream>
#include <string>
#include <vector>

class vxJsonWriter {
public:
    // A compact writer puts the whole value on one line (for JSON Lines).
    explicit vxJsonWriter(std::ostream& out, bool compact = false) : out_(out), compact_(compact) {}

    // Inside an object every value is preceded by key(); nesting is the caller's duty.
    void beginObject();
    void endObject();
    void beginArray(bool isInline = false);
    void endArray();
    void key(const std::string& name);

    // Strings are UTF-8; quotes, backslashes and control characters are escaped.
    void value(const std::string& text);
    void value(const char* text) { value(std::string(text)); }
    // Non-finite numbers are written as null (JSON has no NaN).
    void value(double number);
    void value(long number);
    void value(int number) { value(static_cast<long>(number)); }
    void value(bool flag);
    void null();

private:
    struct Level {
        bool isObject = false;
        bool isInline = false;
        long count = 0;
    };
    // Writes the comma and line break that come before a new member or element.
    void separate_();
    void newline_();
    void writeString_(const std::string& text);

    std::ostream& out_;
    std::vector<Level> levels_;
    bool compact_;
    bool afterKey_ = false;
};
