// Binary archive: one call order of operator|| both stores and loads. Encoding is
// little-endian; integers keep their C++ width class (bool and chars 1 byte, short 2,
// int 4, long, unsigned long and long long 8), floating point as IEEE bits, wide
// strings and strings of 32-bit code points as an 8-byte count and 4-byte units. Loading reads from an in-memory
// copy of the stream and checks every read and every count against what is left,
// so a truncated or corrupted archive throws instead of reading out of bounds.
// Objects nest at most kMaxNesting deep in one archive operation, so that neither
// storing nor loading can recurse deep enough to exhaust the stack.
#pragma once

#include "vxException.h"
#include "vxPersistent.h"
#include "vxRepBase.h"

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <typeindex>
#include <unordered_set>
#include <utility>
#include <vector>

class vxArchive {
public:
    // Base of archive failures.
    class Error : public vx_ExceptionImpl<Error, 0x10000010> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // The stream ended, or holds a value no writer produces.
    class BadData : public vx_ExceptionImpl<BadData, 0x10000011, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // A class level's version byte is one this build cannot read.
    class UnknownVersion : public vx_ExceptionImpl<UnknownVersion, 0x10000012, Error> {
    public:
        UnknownVersion(const char* className = "", long version = 0);
        const std::string& className() const { return className_; }
        long version() const { return version_; }

    private:
        std::string className_;
        long version_ = 0;
    };
    // An archived object names a class that is not registered.
    class UnknownClass : public vx_ExceptionImpl<UnknownClass, 0x10000013, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };

    // How deep persistent objects may nest in one archive operation: the outermost
    // object is level 1, and an object archived (in place or through a pointer) while
    // another is being archived is one level deeper. Loading deeper nesting throws
    // BadData, storing it throws Error. The module's own objects nest less than ten
    // deep; the rest is room for chains of shared transforms. A level takes about
    // 1.4 KB of stack with the sanitizers (much less without), so a load at the limit
    // fits in 400 KB.
    static constexpr int kMaxNesting = 256;

    // A storing archive writing into memory.
    vxArchive();
    // A loading archive reading the given bytes.
    explicit vxArchive(std::vector<unsigned char> bytes);
    // A loading archive reading the rest of the stream.
    explicit vxArchive(std::istream& in);
    ~vxArchive();
    vxArchive(const vxArchive&) = delete;
    vxArchive& operator=(const vxArchive&) = delete;

    bool isLoading() const { return loading_; }
    bool isStoring() const { return !loading_; }

    // The bytes stored so far.
    const std::vector<unsigned char>& bytes() const { return buf_; }
    // Writes the stored bytes to a stream; throws Error when the stream fails.
    void writeTo(std::ostream& out) const;
    // Bytes not yet read (loading) or 0 (storing).
    size_t remaining() const { return loading_ ? buf_.size() - pos_ : 0; }

    // Raw transfer of n bytes.
    void transfer(void* data, size_t n);
    // Transfers an element count; when loading, throws BadData unless count times
    // minBytesPerElement fits into what is left of the archive.
    void transferCount(unsigned long& count, size_t minBytesPerElement = 1);
    // Transfers a version byte and throws UnknownVersion(className) when it exceeds maxVersion.
    unsigned char transferVersion(unsigned char current, unsigned char maxVersion,
                                  const char* className);

    template <class T>
    requires std::is_arithmetic_v<T> || std::is_same_v<T, wchar_t>
    void transferScalar(T& v) {
        unsigned char raw[sizeof(T)];
        if (loading_) {
            transfer(raw, sizeof raw);
            std::make_unsigned_t<std::conditional_t<
                std::is_floating_point_v<T>, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>,
                std::conditional_t<std::is_same_v<T, bool>, uint8_t, T>>>
                u = 0;
            for (size_t i = 0; i < sizeof(T); ++i)
                u |= decltype(u)(raw[i]) << (8 * i);
            if constexpr (std::is_same_v<T, bool>) {
                if (u > 1) throw BadData(L"Archive holds an invalid boolean");
                v = u != 0;
            } else {
                std::memcpy(&v, &u, sizeof(T));
            }
        } else {
            std::conditional_t<
                sizeof(T) == 1, uint8_t,
                std::conditional_t<sizeof(T) == 2, uint16_t,
                                   std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>
                u;
            std::memcpy(&u, &v, sizeof(T));
            for (size_t i = 0; i < sizeof(T); ++i)
                raw[i] = static_cast<unsigned char>(u >> (8 * i));
            transfer(raw, sizeof raw);
        }
    }

    // Archives one persistent object in place (all its levels).
    void serializeObject(vxPersistent& obj);
    // Whether a loaded object may fill a pointer slot (see serializePointer).
    using Accepts = bool (*)(const vxPersistent*);
    // Stores or loads a persistent pointer through the object table (see vxPersistent).
    // When loading with `accepts`, an object it refuses throws BadData; a new object of
    // the wrong class is refused before it is read and freed.
    void serializePointer(vxPersistent*& p, Accepts accepts = nullptr);
    // True while `p`, an object this archive created, is still being loaded: it is one
    // of the objects whose loading encloses the current read. A pointer to it closes a
    // cycle once the loads return.
    bool isStillLoading(const vxPersistent* p) const { return unfinished_.count(p) != 0; }

private:
    friend class vxPersistent;
    struct Loaded {
        vxPersistent* object = nullptr;
        const vxRepBase* shared = nullptr; // holds one reference while the archive lives
    };
    bool visited_(const void* obj, const std::type_info& level) const;
    void markVisited_(const void* obj, const std::type_info& level);
    void beginOperation_();
    void endOperation_();

    bool loading_;
    std::vector<unsigned char> buf_;
    size_t pos_ = 0;
    int depth_ = 0;
    std::set<std::pair<const void*, std::type_index>> visited_levels_;
    std::map<const void*, uint64_t> stored_ids_;
    std::vector<Loaded> loaded_;
    std::unordered_set<const vxPersistent*> unfinished_;
};

// Primitives.
template <class T>
requires std::is_arithmetic_v<T> || std::is_same_v<T, wchar_t> vxArchive& operator||(vxArchive& ar,
                                                                                     T& v) {
    ar.transferScalar(v);
    return ar;
}
vxArchive& operator||(vxArchive& ar, std::wstring& s);
// The same form as a wide string (count, then 4-byte units); code points are not checked.
vxArchive& operator||(vxArchive& ar, std::u32string& s);
vxArchive& operator||(vxArchive& ar, std::string& s);
// A persistent object archived in place.
vxArchive& operator||(vxArchive& ar, vxPersistent& obj);

// Enumerations travel as unsigned long; loading accepts only values in [lo, hi].
template <class E>
requires std::is_enum_v<E>
void vf_SerializeEnum(vxArchive& ar, E& e, long lo, long hi) {
    unsigned long v = static_cast<unsigned long>(e);
    ar || v;
    if (ar.isLoading()) {
        if (static_cast<long>(v) < lo || static_cast<long>(v) > hi)
            throw vxArchive::BadData(L"Archive holds an invalid enumeration value");
        e = static_cast<E>(v);
    }
}

// A vector: version byte 0, element count (unsigned long), then the elements.
template <class T> vxArchive& operator||(vxArchive& ar, std::vector<T>& v) {
    ar.transferVersion(0, 0, "std::vector");
    unsigned long n = v.size();
    ar.transferCount(n, 1);
    if (ar.isLoading()) {
        std::vector<T> loaded(n);
        for (auto& e : loaded)
            ar || e;
        v.swap(loaded);
    } else {
        for (auto& e : v)
            ar || e;
    }
    return ar;
}
template <> vxArchive& operator||(vxArchive& ar, std::vector<bool>& v);

// Whether a loaded object is a T (for vxArchive::serializePointer).
template <class T> bool vf_ArchiveAcceptsAs(const vxPersistent* p) {
    return dynamic_cast<const T*>(p) != nullptr;
}

// Counted handles: the object is stored once however many handles share it and
// comes back shared. Loading an object of the wrong class throws BadData (and frees it).
template <class T> vxArchive& operator||(vxArchive& ar, vxPtrHandle<T>& h) {
    vxPersistent* p = ar.isStoring() ? static_cast<vxPersistent*>(h.get()) : nullptr;
    ar.serializePointer(p, &vf_ArchiveAcceptsAs<T>);
    if (ar.isLoading()) h = vxPtrHandle<T>(dynamic_cast<T*>(p));
    return ar;
}
template <class T> vxArchive& operator||(vxArchive& ar, vxPtrHandle_const<T>& h) {
    vxPersistent* p = ar.isStoring()
                          ? const_cast<vxPersistent*>(static_cast<const vxPersistent*>(h.get()))
                          : nullptr;
    ar.serializePointer(p, &vf_ArchiveAcceptsAs<T>);
    if (ar.isLoading()) h = vxPtrHandle_const<T>(dynamic_cast<T*>(p));
    return ar;
}
