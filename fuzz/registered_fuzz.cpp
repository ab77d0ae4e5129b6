// Any registered persistent class loaded through a pointer from any bytes: the class
// is named by the archive, so this reaches the module's error classes and the
// foundation's shared transforms as well as the module's objects.
#include "fuzz_support.h"

#include "vxOCDefs.h"
#include "vxXform.h"

#include <memory>

namespace {

// Owns what a pointer load returns: a share of a counted object, or the object.
struct Owned {
    vxPtrHandle_const<vxRepBase> shared;
    std::unique_ptr<vxPersistent> plain;

    void take(vxPersistent* p) {
        if (const vxRepBase* r = dynamic_cast<const vxRepBase*>(p))
            shared = vxPtrHandle_const<vxRepBase>(r);
        else
            plain.reset(p);
    }
};

vxFuzzBytes storePointer(vxPersistent* p) {
    vxArchive out;
    out.serializePointer(p);
    return out.bytes();
}

// Loads one pointer; the archive's own share is dropped when it goes, so the owner
// takes its share first.
vxPersistent* loadPointer(const vxFuzzBytes& bytes, Owned& owner) {
    vxPersistent* p = nullptr;
    vxArchive in(bytes);
    in.serializePointer(p);
    owner.take(p);
    return p;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vxOCModel model(*vfFuzzModel('2'));
    vxOCLineArrangement arrangement = vfFuzzArrangement();
    vxOCDefs::BadKey error(L"no such key");
    vx2XformLinear turn(vxXform<2>(vxVector<2>(3.0, 4.0), 1.5, 1.0, vxRadian(0.0), vxRadian(0.3)));
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {storePointer(&model), storePointer(&arrangement), storePointer(&error),
                             storePointer(&turn), storePointer(nullptr)});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Owned first;
    vxPersistent* p = nullptr;
    try {
        p = loadPointer(vxFuzzBytes(data, data + size), first);
    } catch (const vxArchive::Error&) {
        return 0;
    }
    const vxFuzzBytes stored = storePointer(p);
    Owned second;
    vxPersistent* again = nullptr;
    try {
        again = loadPointer(stored, second);
    } catch (const vxArchive::Error& e) {
        vfFuzzFail(std::string("a stored object does not load again: ") + e.what());
    }
    if (storePointer(again) != stored) vfFuzzFail("a reloaded object stores other bytes");
    return 0;
}
