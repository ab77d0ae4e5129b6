// Pel buffers: windows on a shared, reference-counted root of pixels.
//
// A root is a rectangle of pixels in image coordinates (it need not start at (0, 0))
// whose rows are contiguous and a fixed stride apart. A buffer is a window on a root:
// copying a buffer, or narrowing its window, shares the pixels; vfPelCopy makes new
// ones. Every buffer also holds a client-from-image transform, a shared immutable
// vx2XformBase (the identity by default) that copies and windows share; setting it on
// one buffer replaces that buffer's handle only.
//
// A buffer without a root is unbound: its window is the null rectangle, and anything
// that needs pixels (pointToPel, rowUpdate, window changes, pixel operations) throws
// vxPel::UnboundWindow. Its transform stays readable and settable.
//
// vxPelBuffer_const<T> gives read access to the pixels, vxPelBuffer<T> write access;
// a vxPelBuffer converts to a vxPelBuffer_const, not the other way. Like a pointer,
// a const vxPelBuffer still writes its pixels: constness of the buffer object guards
// the window and transform, not the pixels. T = unsigned char is provided.
#pragma once

#include "vxException.h"
#include "vxRect.h"
#include "vxRepBase.h"
#include "vxXform.h"

#include <cstddef>

// Errors of pel buffers and pixel operations.
class vxPel {
public:
    // Base of the pel errors.
    class Error : public vx_ExceptionImpl<Error, 0x10000050> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A window or root with a negative size, or a window not inside its root.
    class BadWindow : public vx_ExceptionImpl<BadWindow, 0x10000051, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // Pixels were needed from a buffer that has none.
    class UnboundWindow : public vx_ExceptionImpl<UnboundWindow, 0x10000052, Error> {
    public:
        UnboundWindow() : vx_ExceptionImpl(L"Pel buffer is unbound") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // Buffers given to one operation differ in width or height.
    class SizeMismatch : public vx_ExceptionImpl<SizeMismatch, 0x10000053, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A linear (vxXform<2>) form was asked of a non-linear transform.
    class NonLinearXform : public vx_ExceptionImpl<NonLinearXform, 0x10000054, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // Any other argument outside its domain (alignment, empty window or histogram).
    class BadArgument : public vx_ExceptionImpl<BadArgument, 0x10000055, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};

// Keeps a root's pixels alive; the last buffer to let go releases them.
class vx_PelStorage : public vxRepBase {
public:
    ~vx_PelStorage() override = default;
};

// The untyped part of a pel buffer: root, window, transform and bound state.
class vx_PelBuffer {
public:
    virtual ~vx_PelBuffer() = default;

    // The window in image coordinates; the null rectangle when unbound.
    const vxPelRect& window() const { return window_; }
    // Sets the window. With `relative`, r is given relative to the current window's
    // upper-left corner; otherwise in image coordinates. The new window may be
    // anywhere inside the root (not only inside the old window) and may be empty.
    // Throws vxPel::UnboundWindow when unbound, vxPel::BadWindow (leaving the buffer
    // as it was) when the window has a negative size or leaves the root.
    void window(const vxPelRect& r, bool relative);
    // The upper-left pixel of the window.
    vxPoint<long> offset() const { return window_.ul(); }
    // Moves the buffer's image coordinates so that the window's upper-left pixel is
    // (x, y). Pixels stay shared and the client-from-image transform stays as it is,
    // so each pixel's client position moves with it. Throws vxPel::UnboundWindow.
    void offset(long x, long y);
    long width() const { return window_.width(); }
    long height() const { return window_.height(); }
    // The root's rectangle in image coordinates; the null rectangle when unbound.
    const vxPelRect& rootWindow() const { return root_; }

    bool isBound() const { return static_cast<bool>(storage_); }
    // Lets go of the pixels; the transform is kept.
    void setUnbound();
    // Widens the window to the whole root. Throws vxPel::UnboundWindow.
    void setEntire();
    // Elements from a pixel to the one below it. Throws vxPel::UnboundWindow.
    long rowUpdate() const;
    // What keeps the pixels alive (null when unbound), for code that hands the pixels
    // to another owner, such as a C-level image view.
    const vxPtrHandle<vx_PelStorage>& storage() const { return storage_; }

    // The client-from-image transform as a shared object (never null).
    vxPtrHandle_const<vx2XformBase> clientFromImage() const;
    // Its inverse as a new shared object; throws vxGeomDefs::Singular when it has none.
    vxPtrHandle_const<vx2XformBase> imageFromClient() const;
    // Sets the transform; a null handle means the identity.
    void clientFromImage(const vxPtrHandle_const<vx2XformBase>& x);
    // Sets the transform to the inverse of x; throws vxGeomDefs::Singular (leaving the
    // buffer as it was) when x has none.
    void imageFromClient(const vxPtrHandle_const<vx2XformBase>& x);

    // The linear form of the client-from-image transform; throws vxPel::NonLinearXform
    // when it is not linear.
    vxXform<2> clientFromImageXform() const;
    // The inverse of clientFromImageXform(); throws vxPel::NonLinearXform or
    // vxGeomDefs::Singular.
    vxXform<2> imageFromClientXform() const;
    void clientFromImageXform(const vxXform<2>& x);
    // Sets the client-from-image transform to x's inverse; throws vxGeomDefs::Singular
    // (leaving the buffer as it was) when x is singular.
    void imageFromClientXform(const vxXform<2>& x);

protected:
    // Unbound, identity transform.
    vx_PelBuffer() = default;
    // A new zeroed root covering `root` in image coordinates, with each row starting on
    // an `alignment`-byte boundary (a power of two up to 4096), window = root. Throws
    // vxPel::BadWindow for a negative size or one too large to address, and
    // vxPel::BadArgument for a bad alignment.
    vx_PelBuffer(const vxPelRect& root, int alignment, size_t elementSize);
    // A window on pixels kept by `storage`: `origin` is the address of the root's
    // upper-left pixel, `stride` the elements between rows.
    vx_PelBuffer(vxPtrHandle<vx_PelStorage> storage, void* origin, long stride,
                 const vxPelRect& root, size_t elementSize);
    vx_PelBuffer(const vx_PelBuffer&) = default;
    vx_PelBuffer& operator=(const vx_PelBuffer&) = default;

    // Address of the pixel (x, y); throws UnboundWindow, or BadWindow outside the root.
    void* pelAddress_(long x, long y) const;

private:
    vxPtrHandle<vx_PelStorage> storage_; // null when unbound
    unsigned char* origin_ = nullptr;    // the root's upper-left pixel
    long stride_ = 0;                    // in elements
    size_t elementSize_ = 1;
    vxPelRect root_;
    vxPelRect window_;
    vxPtrHandle_const<vx2XformBase> clientFromImage_; // null means the identity
};

template <class T> class vxPelBuffer;

template <class T> class vxPelBuffer_const : public vx_PelBuffer {
public:
    // Unbound.
    vxPelBuffer_const() = default;
    // A new zeroed root over `root` (see vx_PelBuffer's constructor); window = root.
    explicit vxPelBuffer_const(const vxPelRect& root, int alignment = 1)
        : vx_PelBuffer(root, alignment, sizeof(T)) {}
    // A new zeroed root over (0, 0, width, height).
    vxPelBuffer_const(long width, long height)
        : vxPelBuffer_const(vxPelRect(0, 0, width, height)) {}
    // A window on pixels that `storage` keeps alive (see vx_PelBuffer).
    vxPelBuffer_const(vxPtrHandle<vx_PelStorage> storage, const T* origin, long stride,
                      const vxPelRect& root)
        : vx_PelBuffer(std::move(storage), const_cast<T*>(origin), stride, root, sizeof(T)) {}
    vxPelBuffer_const(const vxPelBuffer_const&) = default;
    vxPelBuffer_const& operator=(const vxPelBuffer_const&) = default;
    // Shares the pixels, window and transform of a writable buffer.
    vxPelBuffer_const(const vxPelBuffer<T>& b) : vx_PelBuffer(b) {}

    // The pixel at image coordinates (x, y), which must lie inside the root (its row
    // continues for the rest of the root's row). Throws vxPel::UnboundWindow, and
    // vxPel::BadWindow for a pixel outside the root.
    const T* pointToPel(long x, long y) const;
};

template <class T> class vxPelBuffer : public vx_PelBuffer {
public:
    vxPelBuffer() = default;
    explicit vxPelBuffer(const vxPelRect& root, int alignment = 1)
        : vx_PelBuffer(root, alignment, sizeof(T)) {}
    vxPelBuffer(long width, long height) : vxPelBuffer(vxPelRect(0, 0, width, height)) {}
    vxPelBuffer(vxPtrHandle<vx_PelStorage> storage, T* origin, long stride, const vxPelRect& root)
        : vx_PelBuffer(std::move(storage), origin, stride, root, sizeof(T)) {}
    vxPelBuffer(const vxPelBuffer&) = default;
    vxPelBuffer& operator=(const vxPelBuffer&) = default;

    // As vxPelBuffer_const::pointToPel, with write access.
    T* pointToPel(long x, long y) const;
};

extern template class vxPelBuffer_const<unsigned char>;
extern template class vxPelBuffer<unsigned char>;

// Archive form: version byte 0; bound (bool); the window (x, y, width, height as
// long); the client-from-image transform as a persistent pointer (null for the
// identity; a transform shared by several buffers is stored once); when bound, the
// window's pixels row by row. A loaded buffer has a root of its own covering exactly
// the window. Loading throws vxArchive::BadData for a negative size or more pixels
// than the archive holds, and leaves the buffer as it was when it fails.
vxArchive& operator||(vxArchive& ar, vxPelBuffer_const<unsigned char>& b);
vxArchive& operator||(vxArchive& ar, vxPelBuffer<unsigned char>& b);
