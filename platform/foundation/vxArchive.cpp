// Archive storage, bounds-checked loading and the persistent-object table.
#include "vxArchive.h"

#include <istream>
#include <iterator>
#include <memory>
#include <ostream>

namespace {
// Tags of a persistent pointer in the archive.
constexpr unsigned char kNullPointer = 0;
constexpr unsigned char kNewObject = 1;
constexpr unsigned char kSeenObject = 2;
constexpr unsigned long kMaxClassNameLength = 1024;
const wchar_t* const kUnexpectedClass = L"Archive holds an object of an unexpected class";

std::wstring widen(const char* s) {
    std::wstring w;
    for (; *s; ++s)
        w.push_back(static_cast<unsigned char>(*s));
    return w;
}
} // namespace

vxArchive::UnknownVersion::UnknownVersion(const char* className, long version)
    : vx_ExceptionImpl(L"Unknown archive version " + std::to_wstring(version) + L" of " +
                       widen(className ? className : "")),
      className_(className ? className : ""), version_(version) {}

vxArchive::vxArchive() : loading_(false) {}

vxArchive::vxArchive(std::vector<unsigned char> bytes) : loading_(true), buf_(std::move(bytes)) {}

vxArchive::vxArchive(std::istream& in) : loading_(true) {
    buf_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

vxArchive::~vxArchive() {
    for (const Loaded& l : loaded_)
        if (l.shared) l.shared->release_();
}

void vxArchive::writeTo(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(buf_.data()),
              static_cast<std::streamsize>(buf_.size()));
    if (!out) throw Error(L"Could not write the archive to the stream");
}

void vxArchive::transfer(void* data, size_t n) {
    if (n == 0) return;
    if (loading_) {
        if (n > buf_.size() - pos_) throw BadData(L"Archive is truncated");
        std::memcpy(data, buf_.data() + pos_, n);
        pos_ += n;
    } else {
        const auto* p = static_cast<const unsigned char*>(data);
        buf_.insert(buf_.end(), p, p + n);
    }
}

void vxArchive::transferCount(unsigned long& count, size_t minBytesPerElement) {
    *this || count;
    if (loading_ && minBytesPerElement > 0 && count > remaining() / minBytesPerElement)
        throw BadData(L"Archive holds an element count larger than its remaining data");
}

unsigned char vxArchive::transferVersion(unsigned char current, unsigned char maxVersion,
                                         const char* className) {
    unsigned char v = current;
    *this || v;
    if (v > maxVersion) throw UnknownVersion(className, v);
    return v;
}

bool vxArchive::visited_(const void* obj, const std::type_info& level) const {
    return visited_levels_.count({obj, std::type_index(level)}) != 0;
}

void vxArchive::markVisited_(const void* obj, const std::type_info& level) {
    visited_levels_.insert({obj, std::type_index(level)});
}

void vxArchive::beginOperation_() {
    ++depth_;
}

void vxArchive::endOperation_() {
    if (--depth_ == 0) visited_levels_.clear();
}

void vxArchive::serializeObject(vxPersistent& obj) {
    beginOperation_();
    try {
        if (depth_ > kMaxNesting) {
            const std::wstring limit = std::to_wstring(kMaxNesting);
            if (loading_) throw BadData(L"Archive holds objects nested deeper than " + limit);
            throw Error(L"Objects nested deeper than " + limit + L" cannot be archived");
        }
        obj.dispatchSerialize(*this);
    } catch (...) {
        endOperation_();
        throw;
    }
    endOperation_();
}

void vxArchive::serializePointer(vxPersistent*& p, Accepts accepts) {
    if (!loading_) {
        unsigned char tag = kNullPointer;
        if (!p) {
            *this || tag;
            return;
        }
        const void* identity = dynamic_cast<const void*>(p);
        auto it = stored_ids_.find(identity);
        if (it != stored_ids_.end()) {
            tag = kSeenObject;
            uint64_t id = it->second;
            *this || tag || id;
            return;
        }
        tag = kNewObject;
        std::string name = vf_RegisteredName(typeid(*p));
        stored_ids_.emplace(identity, stored_ids_.size());
        *this || tag || name;
        serializeObject(*p);
        return;
    }

    unsigned char tag = 0;
    *this || tag;
    if (tag == kNullPointer) {
        p = nullptr;
        return;
    }
    if (tag == kSeenObject) {
        uint64_t id = 0;
        *this || id;
        if (id >= loaded_.size()) throw BadData(L"Archive refers to an object it does not hold");
        vxPersistent* seen = loaded_[id].object;
        if (!seen) throw BadData(L"Archive refers to an object that failed to load");
        if (accepts && !accepts(seen)) throw BadData(kUnexpectedClass);
        p = seen;
        return;
    }
    if (tag != kNewObject) throw BadData(L"Archive holds an invalid object tag");

    unsigned long length = 0;
    transferCount(length, 1);
    if (length > kMaxClassNameLength) throw BadData(L"Archive holds an invalid class name");
    std::string name(length, '\0');
    transfer(name.data(), length);
    std::unique_ptr<vxPersistent> made(vf_MakeRegistered(name.c_str()));
    if (!made)
        throw UnknownClass(L"Archive holds an object of unknown class " + widen(name.c_str()));
    // Refused before it is read or entered in the table, so `made` frees it.
    if (accepts && !accepts(made.get())) throw BadData(kUnexpectedClass);

    // Entered in the table before loading so that the object may refer to itself.
    // A shared object is owned by the archive's reference from here on; any other
    // object by `made` until it loads completely.
    Loaded entry;
    entry.object = made.get();
    entry.shared = dynamic_cast<const vxRepBase*>(made.get());
    if (entry.shared) {
        entry.shared->addRef_();
        made.release();
    }
    const size_t index = loaded_.size();
    loaded_.push_back(entry);
    unfinished_.insert(entry.object);
    try {
        serializeObject(*entry.object);
    } catch (...) {
        unfinished_.erase(entry.object);
        if (!entry.shared) loaded_[index].object = nullptr;
        throw;
    }
    unfinished_.erase(entry.object);
    made.release();
    p = entry.object;
}

namespace {
// Wide strings and strings of 32-bit code points share one form: an 8-byte count, then
// 4-byte units; the count is checked against what is left before anything is allocated.
template <class String> void serializeString32(vxArchive& ar, String& s) {
    static_assert(sizeof(typename String::value_type) == 4);
    unsigned long n = s.size();
    ar.transferCount(n, 4);
    if (ar.isLoading()) {
        String loaded(n, typename String::value_type(0));
        for (auto& c : loaded)
            ar || c;
        s.swap(loaded);
    } else {
        for (auto c : s)
            ar || c;
    }
}
} // namespace

vxArchive& operator||(vxArchive& ar, std::wstring& s) {
    serializeString32(ar, s);
    return ar;
}

vxArchive& operator||(vxArchive& ar, std::u32string& s) {
    serializeString32(ar, s);
    return ar;
}

vxArchive& operator||(vxArchive& ar, std::string& s) {
    unsigned long n = s.size();
    ar.transferCount(n, 1);
    if (ar.isLoading()) s.assign(n, '\0');
    ar.transfer(s.data(), n);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxPersistent& obj) {
    ar.serializeObject(obj);
    return ar;
}

template <> vxArchive& operator||(vxArchive& ar, std::vector<bool>& v) {
    ar.transferVersion(0, 0, "std::vector");
    unsigned long n = v.size();
    ar.transferCount(n, 1);
    if (ar.isLoading()) v.assign(n, false);
    for (unsigned long i = 0; i < n; ++i) {
        bool b = v[i];
        ar || b;
        v[i] = b;
    }
    return ar;
}
