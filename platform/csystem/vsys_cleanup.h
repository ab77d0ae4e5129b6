/* The clean-up stack: code that owns C records registers a callback that releases
 * each one, and executes the callbacks registered since a tag on every path out
 * (return or exception), so nothing leaks whichever call fails. The stack belongs to
 * the calling thread. */
#ifndef VSYS_CLEANUP_H
#define VSYS_CLEANUP_H

#include "vsys_status.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*vsys_cleanupFn)(void* arg);

/* The tag that the next registered clean-up of the calling thread will carry (the
 * stack's depth). Executing this tag later runs exactly what is registered from now on. */
unsigned long vsys_cleanup_getNextTag(void);

/* Pushes fn(arg) onto the calling thread's stack. Returns VSYS_OK,
 * VSYS_STATUS_NULL_POINTER for a null fn, or VSYS_STATUS_OUT_OF_MEMORY. */
long vsys_cleanup_register(vsys_cleanupFn fn, void* arg);

/* Pops and runs, newest first, every clean-up carrying `tag` or a later one; each is
 * removed before it runs. A tag whose clean-ups are already gone does nothing, so
 * executing on every path is safe. Returns VSYS_OK, or VSYS_STATUS_CALLBACK_FAILED when
 * a callback threw (the remaining ones still run). */
long vsys_cleanupExecute_(unsigned long tag);

/* Pops, without running, every clean-up carrying `tag` or a later one (for records
 * whose ownership has passed elsewhere). */
void vsys_cleanupDiscard_(unsigned long tag);

#ifdef __cplusplus
}

// Executes the clean-ups registered during its lifetime when it goes out of scope.
class vsys_cleanupScope {
public:
    vsys_cleanupScope() : tag_(vsys_cleanup_getNextTag()) {}
    ~vsys_cleanupScope() { vsys_cleanupExecute_(tag_); }
    vsys_cleanupScope(const vsys_cleanupScope&) = delete;
    vsys_cleanupScope& operator=(const vsys_cleanupScope&) = delete;
    unsigned long tag() const { return tag_; }

private:
    unsigned long tag_;
};
#endif

#endif
