// Pel buffer and C view conversion through owners that forward reference counts.
#include "vx_Image.h"

#include <atomic>
#include <new>

namespace {

// A C-level owner holding a share of a pel buffer's storage.
struct PelStorageOwner {
    vimg_pelOwner header; // first, so the owner pointer is the object's address
    std::atomic<long> count{1};
    vxPtrHandle<vx_PelStorage> storage;
};

void addRefStorageOwner(vimg_pelOwner* self) {
    reinterpret_cast<PelStorageOwner*>(self)->count.fetch_add(1, std::memory_order_relaxed);
}

void releaseStorageOwner(vimg_pelOwner* self) {
    auto* owner = reinterpret_cast<PelStorageOwner*>(self);
    if (owner->count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete owner;
}

// Pel storage holding one reference on a C-level owner (or nothing for a view without).
class ViewStorage : public vx_PelStorage {
public:
    explicit ViewStorage(vimg_pelOwner* owner) : owner_(owner) {
        if (owner_) owner_->addRef(owner_);
    }
    ~ViewStorage() override {
        if (owner_) owner_->release(owner_);
    }
    ViewStorage(const ViewStorage&) = delete;
    ViewStorage& operator=(const ViewStorage&) = delete;

private:
    vimg_pelOwner* owner_;
};

vxXform<2> xformOf(const double (&n)[6]) {
    return vxXform<2>(vxMatrix<2>(n[0], n[1], n[2], n[3]), vxVector<2>(n[4], n[5]));
}

void storeXform(const vxXform<2>& x, double (&n)[6]) {
    const vxMatrix<2>& m = x.matrix();
    n[0] = m.element(0, 0);
    n[1] = m.element(0, 1);
    n[2] = m.element(1, 0);
    n[3] = m.element(1, 1);
    n[4] = x.trans().x();
    n[5] = x.trans().y();
}

} // namespace

void vfConvertImage(const vxPelBuffer_const<unsigned char>& src, vimg_imageConst& dst) {
    vimg_imageConst view;
    vimg_imageConst_constructUnbound(&view);
    storeXform(src.clientFromImageXform(), view.clientFromImage);
    if (src.isBound()) {
        const vxPelRect& w = src.window();
        const vxPelRect& root = src.rootWindow();
        // An empty root has no pixel to point at; its view is bound with no rows.
        static const unsigned char kNoPixel = 0;
        view.pels = root.isNull() ? &kNoPixel
                                  : src.pointToPel(root.x(), root.y()) +
                                        (w.y() - root.y()) * src.rowUpdate() + (w.x() - root.x());
        view.x = w.x();
        view.y = w.y();
        view.width = w.width();
        view.height = w.height();
        view.stride = src.rowUpdate();
        view.rootX = root.x();
        view.rootY = root.y();
        view.rootWidth = root.width();
        view.rootHeight = root.height();
        auto* owner = new PelStorageOwner;
        owner->header.addRef = &addRefStorageOwner;
        owner->header.release = &releaseStorageOwner;
        owner->storage = src.storage();
        view.owner = &owner->header;
    }
    vimg_imageConst_assign(&dst, &view); // takes its own reference
    vimg_imageConst_destruct(&view);
}

void vfConvertImage(const vimg_imageConst& src, vxPelBuffer_const<unsigned char>& dst) {
    if (vimg_imageConst_validate(&src) != VSYS_OK)
        throw vxPel::BadWindow(L"C-level image view has an invalid geometry");
    vxPelBuffer_const<unsigned char> out;
    if (vimg_imageConst_isBound(&src)) {
        const bool windowOnly = src.rootWidth == 0 && src.rootHeight == 0;
        const vxPelRect window(src.x, src.y, src.width, src.height);
        const vxPelRect root =
            windowOnly ? window : vxPelRect(src.rootX, src.rootY, src.rootWidth, src.rootHeight);
        const unsigned char* rootOrigin =
            src.pels - (src.y - root.y()) * src.stride - (src.x - root.x());
        // A view made from a pel buffer hands its storage back directly.
        vxPtrHandle<vx_PelStorage> storage;
        if (src.owner && src.owner->release == &releaseStorageOwner)
            storage = reinterpret_cast<PelStorageOwner*>(src.owner)->storage;
        else
            storage = vxPtrHandle<vx_PelStorage>(new ViewStorage(src.owner));
        out = vxPelBuffer_const<unsigned char>(storage, rootOrigin, src.stride, root);
        out.window(window, false);
    }
    out.clientFromImageXform(xformOf(src.clientFromImage));
    dst = out;
}

vx_Image::vx_Image() {
    vimg_imageConst_constructUnbound(&view_);
}

vx_Image::vx_Image(const vxPelBuffer_const<unsigned char>& buffer) : vx_Image() {
    vfConvertImage(buffer, view_);
}

vx_Image::~vx_Image() {
    vimg_imageConst_destruct(&view_);
}

vx_Image::vx_Image(const vx_Image& other) : vx_Image() {
    vimg_imageConst_assign(&view_, &other.view_);
}

vx_Image& vx_Image::operator=(const vx_Image& other) {
    vimg_imageConst_assign(&view_, &other.view_);
    return *this;
}

vxPelBuffer_const<unsigned char> vx_Image::buffer() const {
    vxPelBuffer_const<unsigned char> b;
    vfConvertImage(view_, b);
    return b;
}
