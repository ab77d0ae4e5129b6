// Pel buffer roots, windows, transforms and archiving.
#include "vxPelBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Coordinates are checked in a wider type, so that no sum of two longs overflows.
using Wide = __int128;
constexpr Wide kLongMin = std::numeric_limits<long>::min();
constexpr Wide kLongMax = std::numeric_limits<long>::max();
// Largest root in bytes: far beyond any real image, small enough for every offset.
constexpr Wide kMaxRootBytes = Wide(1) << 40;

bool fitsLong(Wide v) {
    return v >= kLongMin && v <= kLongMax;
}

// Whether r has no negative size and its far corner is addressable.
bool isValidRect(const vxPelRect& r) {
    return r.width() >= 0 && r.height() >= 0 && fitsLong(Wide(r.x()) + r.width()) &&
           fitsLong(Wide(r.y()) + r.height());
}

// Whether r (valid) lies inside root (valid); an empty r may lie on root's edges.
bool isInside(const vxPelRect& r, const vxPelRect& root) {
    return r.x() >= root.x() && r.y() >= root.y() &&
           Wide(r.x()) + r.width() <= Wide(root.x()) + root.width() &&
           Wide(r.y()) + r.height() <= Wide(root.y()) + root.height();
}

// Pixels allocated for a root, zeroed, on an aligned address.
class AllocatedStorage : public vx_PelStorage {
public:
    AllocatedStorage(size_t bytes, size_t alignment)
        : alignment_(alignment), pels_(static_cast<unsigned char*>(::operator new(
                                     bytes == 0 ? 1 : bytes, std::align_val_t(alignment)))) {
        std::memset(pels_, 0, bytes);
    }
    ~AllocatedStorage() override { ::operator delete(pels_, std::align_val_t(alignment_)); }
    AllocatedStorage(const AllocatedStorage&) = delete;
    AllocatedStorage& operator=(const AllocatedStorage&) = delete;
    unsigned char* pels() const { return pels_; }

private:
    size_t alignment_;
    unsigned char* pels_;
};

const vxPtrHandle_const<vx2XformBase>& identityXform() {
    // Never destroyed, so buffers in static objects may still use it at exit.
    static const auto* identity = new vxPtrHandle_const<vx2XformBase>(vfMakeXform(vxXform<2>()));
    return *identity;
}

template <class E> vxPersistent* makeError() {
    return new E;
}

} // namespace

#define VX_PEL_REGISTER_ERROR(Class)                                                               \
    vxPersistent* vxPel::Class::make() {                                                           \
        return makeError<Class>();                                                                 \
    }                                                                                              \
    const vx_Instantiator vxPel::Class::sExemplar(typeid(Class), &Class::make)
VX_PEL_REGISTER_ERROR(Error);
VX_PEL_REGISTER_ERROR(BadWindow);
VX_PEL_REGISTER_ERROR(UnboundWindow);
VX_PEL_REGISTER_ERROR(SizeMismatch);
VX_PEL_REGISTER_ERROR(NonLinearXform);
VX_PEL_REGISTER_ERROR(BadArgument);
#undef VX_PEL_REGISTER_ERROR

vx_PelBuffer::vx_PelBuffer(const vxPelRect& root, int alignment, size_t elementSize)
    : elementSize_(elementSize) {
    if (alignment < 1 || alignment > 4096 || (alignment & (alignment - 1)) != 0)
        throw vxPel::BadArgument(L"Pel buffer alignment must be a power of two up to 4096");
    if (!isValidRect(root)) throw vxPel::BadWindow(L"Pel buffer root has a negative size");
    const size_t align = std::max<size_t>(static_cast<size_t>(alignment), elementSize);
    const Wide rowBytes = (Wide(root.width()) * elementSize + (align - 1)) / align * align;
    const Wide bytes = rowBytes * root.height();
    if (bytes > kMaxRootBytes) throw vxPel::BadWindow(L"Pel buffer root is too large");
    auto* storage = new AllocatedStorage(static_cast<size_t>(bytes), align);
    storage_ = vxPtrHandle<vx_PelStorage>(storage);
    origin_ = storage->pels();
    stride_ = static_cast<long>(rowBytes / elementSize);
    root_ = root;
    window_ = root;
}

vx_PelBuffer::vx_PelBuffer(vxPtrHandle<vx_PelStorage> storage, void* origin, long stride,
                           const vxPelRect& root, size_t elementSize)
    : elementSize_(elementSize) {
    if (!storage || !origin) throw vxPel::BadArgument(L"Pel buffer needs storage and pixels");
    if (!isValidRect(root)) throw vxPel::BadWindow(L"Pel buffer root has a negative size");
    if (root.height() > 1 && stride < root.width())
        throw vxPel::BadArgument(L"Pel buffer stride is shorter than a row");
    storage_ = std::move(storage);
    origin_ = static_cast<unsigned char*>(origin);
    stride_ = stride;
    root_ = root;
    window_ = root;
}

void vx_PelBuffer::window(const vxPelRect& r, bool relative) {
    if (!isBound()) throw vxPel::UnboundWindow();
    Wide x = r.x(), y = r.y();
    if (relative) {
        x += window_.x();
        y += window_.y();
    }
    if (!fitsLong(x) || !fitsLong(y))
        throw vxPel::BadWindow(L"Pel buffer window lies outside its root");
    const vxPelRect w(static_cast<long>(x), static_cast<long>(y), r.width(), r.height());
    if (!isValidRect(w) || !isInside(w, root_))
        throw vxPel::BadWindow(L"Pel buffer window lies outside its root");
    window_ = w;
}

void vx_PelBuffer::offset(long x, long y) {
    if (!isBound()) throw vxPel::UnboundWindow();
    const Wide dx = Wide(x) - window_.x(), dy = Wide(y) - window_.y();
    const Wide rx = root_.x() + dx, ry = root_.y() + dy;
    if (!fitsLong(rx) || !fitsLong(ry) || !fitsLong(rx + root_.width()) ||
        !fitsLong(ry + root_.height()))
        throw vxPel::BadWindow(L"Pel buffer offset moves the root out of range");
    root_ = root_.translate(static_cast<long>(dx), static_cast<long>(dy));
    window_ = window_.translate(static_cast<long>(dx), static_cast<long>(dy));
}

void vx_PelBuffer::setUnbound() {
    storage_.reset();
    origin_ = nullptr;
    stride_ = 0;
    root_ = vxPelRect();
    window_ = vxPelRect();
}

void vx_PelBuffer::setEntire() {
    if (!isBound()) throw vxPel::UnboundWindow();
    window_ = root_;
}

long vx_PelBuffer::rowUpdate() const {
    if (!isBound()) throw vxPel::UnboundWindow();
    return stride_;
}

void* vx_PelBuffer::pelAddress_(long x, long y) const {
    if (!isBound()) throw vxPel::UnboundWindow();
    if (!isInside(vxPelRect(x, y, 1, 1), root_))
        throw vxPel::BadWindow(L"Pixel lies outside the pel buffer's root");
    const Wide index = (Wide(y) - root_.y()) * stride_ + (Wide(x) - root_.x());
    return origin_ + static_cast<ptrdiff_t>(index) * static_cast<ptrdiff_t>(elementSize_);
}

vxPtrHandle_const<vx2XformBase> vx_PelBuffer::clientFromImage() const {
    return clientFromImage_ ? clientFromImage_ : identityXform();
}

vxPtrHandle_const<vx2XformBase> vx_PelBuffer::imageFromClient() const {
    return clientFromImage_ ? clientFromImage_->inverse() : identityXform();
}

void vx_PelBuffer::clientFromImage(const vxPtrHandle_const<vx2XformBase>& x) {
    clientFromImage_ = x;
}

void vx_PelBuffer::imageFromClient(const vxPtrHandle_const<vx2XformBase>& x) {
    clientFromImage_ = x ? x->inverse() : vxPtrHandle_const<vx2XformBase>();
}

vxXform<2> vx_PelBuffer::clientFromImageXform() const {
    if (!clientFromImage_) return vxXform<2>();
    if (!clientFromImage_->isLinear())
        throw vxPel::NonLinearXform(L"The client-from-image transform is not linear");
    return clientFromImage_->linearXform(vxVector<2>()).xform();
}

vxXform<2> vx_PelBuffer::imageFromClientXform() const {
    return clientFromImageXform().inverse();
}

void vx_PelBuffer::clientFromImageXform(const vxXform<2>& x) {
    clientFromImage_ = x.isIdentity() ? vxPtrHandle_const<vx2XformBase>() : vfMakeXform(x);
}

void vx_PelBuffer::imageFromClientXform(const vxXform<2>& x) {
    clientFromImageXform(x.inverse());
}

template <class T> const T* vxPelBuffer_const<T>::pointToPel(long x, long y) const {
    return static_cast<const T*>(pelAddress_(x, y));
}

template <class T> T* vxPelBuffer<T>::pointToPel(long x, long y) const {
    return static_cast<T*>(pelAddress_(x, y));
}

template class vxPelBuffer_const<unsigned char>;
template class vxPelBuffer<unsigned char>;

namespace {

// One call order for both directions; see the archive form in the header.
template <class Buffer> void serializePelBuffer(vxArchive& ar, Buffer& b) {
    ar.transferVersion(0, 0, "vx_PelBuffer");
    bool bound = b.isBound();
    vxPelRect window = b.window();
    vxPtrHandle_const<vx2XformBase> xform;
    // The default identity travels as a null pointer.
    if (ar.isStoring() && !(b.clientFromImage() == identityXform())) xform = b.clientFromImage();
    ar || bound || window || xform;

    if (ar.isStoring()) {
        if (!bound || window.isNull()) return;
        for (long y = 0; y < window.height(); ++y)
            ar.transfer(const_cast<unsigned char*>(b.pointToPel(window.x(), window.y() + y)),
                        static_cast<size_t>(window.width()));
        return;
    }

    Buffer loaded;
    if (bound) {
        if (!isValidRect(window)) throw vxArchive::BadData(L"Archive holds a bad pel window");
        if (Wide(window.width()) * window.height() > Wide(ar.remaining()))
            throw vxArchive::BadData(L"Archive holds fewer pixels than its pel window");
        vxPelBuffer<unsigned char> pixels(window);
        for (long y = 0; !window.isNull() && y < window.height(); ++y)
            ar.transfer(pixels.pointToPel(window.x(), window.y() + y),
                        static_cast<size_t>(window.width()));
        loaded = pixels;
    }
    loaded.clientFromImage(xform);
    b = loaded;
}

} // namespace

vxArchive& operator||(vxArchive& ar, vxPelBuffer_const<unsigned char>& b) {
    serializePelBuffer(ar, b);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxPelBuffer<unsigned char>& b) {
    serializePelBuffer(ar, b);
    return ar;
}
