// Exception bases, assertion and the status-converter registry.
#include "vxArchive.h"

#include <map>
#include <mutex>
#include <sstream>

void vxException::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxException))) return;
    ar.transferVersion(0, 0, "vxException");
    vxPersistent::dispatchSerialize(ar);
    setVisited(ar, typeid(vxException));
}

void vxException::message_(std::wostream&) const {}

std::wstring vxException::message() const {
    std::wostringstream os;
    message_(os);
    return os.str();
}

namespace {
std::string toUtf8(const std::wstring& w) {
    std::string out;
    for (wchar_t wc : w) {
        auto c = static_cast<uint32_t>(wc);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c <= 0x10FFFF) {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back('?');
        }
    }
    return out;
}
} // namespace

const char* vxException::what() const noexcept {
    try {
        what_ = toUtf8(message());
        if (what_.empty()) what_ = typeid(*this).name();
    } catch (...) {
        return "vxException";
    }
    return what_.c_str();
}

void vxExceptionWithString::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxExceptionWithString))) return;
    ar.transferVersion(0, 0, "vxExceptionWithString");
    ar || text_;
    vxException::dispatchSerialize(ar);
    setVisited(ar, typeid(vxExceptionWithString));
}

void vxExceptionWithString::message_(std::wostream& os) const {
    os << text_;
}

vxStatusError::vxStatusError(long status)
    : vx_ExceptionImpl(L"C-level call failed with status 0x" +
                       [&] {
                           std::wostringstream os;
                           os << std::hex << static_cast<uint32_t>(status);
                           return os.str();
                       }()),
      status_(status) {}

void vstd_assert_(bool condition, const char* expression, const char* file, int line) {
    if (condition) return;
    std::wostringstream os;
    os << L"Assertion failed: " << expression << L" at " << file << L":" << line;
    throw vxAssertionFailure(os.str());
}

namespace {
struct Converters {
    std::mutex lock;
    std::map<long, vx_ExceptionConverter> byFamily;
};
Converters& converters() {
    static Converters c;
    return c;
}
} // namespace

bool vfIsFailureStatus(long status) {
    return (static_cast<uint32_t>(status) & 0x80000000u) != 0;
}

long vfStatusFamily(long status) {
    return static_cast<long>((static_cast<uint32_t>(status) & 0x7FFFFFFFu) >> 5);
}

void vfRegisterExceptionConverter(long family, vx_ExceptionConverter converter) {
    Converters& c = converters();
    std::lock_guard<std::mutex> guard(c.lock);
    c.byFamily[family] = converter;
}

void vfThrowExceptionOnFailure(long status) {
    if (!vfIsFailureStatus(status)) return;
    vx_ExceptionConverter convert = nullptr;
    {
        Converters& c = converters();
        std::lock_guard<std::mutex> guard(c.lock);
        auto it = c.byFamily.find(vfStatusFamily(status));
        if (it != c.byFamily.end()) convert = it->second;
    }
    if (convert) convert(status);
    throw vxStatusError(status);
}
