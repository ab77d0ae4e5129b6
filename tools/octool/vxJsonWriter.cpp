// The JSON writer's formatting and escaping.
#include "vxJsonWriter.h"

#include <cmath>
#include <cstdio>

void vxJsonWriter::newline_() {
    if (compact_) return;
    out_ << '\n' << std::string(2 * levels_.size(), ' ');
}

void vxJsonWriter::separate_() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (level.count++ > 0) out_ << (level.isInline || compact_ ? ", " : ",");
    if (!level.isInline) newline_();
}

void vxJsonWriter::beginObject() {
    separate_();
    out_ << '{';
    levels_.push_back({true, false, 0});
}

void vxJsonWriter::beginArray(bool isInline) {
    separate_();
    out_ << '[';
    // An inline array inside an inline array stays inline too.
    levels_.push_back({false, isInline || (!levels_.empty() && levels_.back().isInline), 0});
}

void vxJsonWriter::endObject() {
    endArray();
}

void vxJsonWriter::endArray() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.count > 0 && !level.isInline) newline_();
    out_ << (level.isObject ? '}' : ']');
    if (levels_.empty()) out_ << '\n';
}

void vxJsonWriter::key(const std::string& name) {
    separate_();
    writeString_(name);
    out_ << ": ";
    afterKey_ = true;
}

void vxJsonWriter::value(const std::string& text) {
    separate_();
    writeString_(text);
}

void vxJsonWriter::writeString_(const std::string& text) {
    out_ << '"';
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out_ << '\\' << c;
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out_ << buffer;
        } else {
            out_ << c;
        }
    }
    out_ << '"';
}

void vxJsonWriter::value(double number) {
    separate_();
    if (!std::isfinite(number)) {
        out_ << "null";
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", number == 0.0 ? 0.0 : number);
    out_ << buffer;
}

void vxJsonWriter::null() {
    separate_();
    out_ << "null";
}

void vxJsonWriter::value(long number) {
    separate_();
    out_ << number;
}

void vxJsonWriter::value(bool flag) {
    separate_();
    out_ << (flag ? "true" : "false");
}
