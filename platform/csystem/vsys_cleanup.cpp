// The per-thread clean-up stack.
#include "vsys_cleanup.h"

#include <new>
#include <vector>

namespace {
struct Cleanup {
    vsys_cleanupFn fn;
    void* arg;
};
thread_local std::vector<Cleanup> tStack;
} // namespace

extern "C" unsigned long vsys_cleanup_getNextTag(void) {
    return tStack.size();
}

extern "C" long vsys_cleanup_register(vsys_cleanupFn fn, void* arg) {
    if (!fn) return VSYS_STATUS_NULL_POINTER;
    try {
        tStack.push_back({fn, arg});
    } catch (const std::bad_alloc&) {
        return VSYS_STATUS_OUT_OF_MEMORY;
    }
    return VSYS_OK;
}

extern "C" long vsys_cleanupExecute_(unsigned long tag) {
    long status = VSYS_OK;
    while (tStack.size() > tag) {
        Cleanup c = tStack.back();
        tStack.pop_back(); // removed first, so a callback that registers or throws is safe
        try {
            c.fn(c.arg);
        } catch (...) {
            status = VSYS_STATUS_CALLBACK_FAILED;
        }
    }
    return status;
}

extern "C" void vsys_cleanupDiscard_(unsigned long tag) {
    if (tStack.size() > tag) tStack.resize(tag);
}
