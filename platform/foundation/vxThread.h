// Worker threads. A worker runs one function on one argument; it shares the abort
// request of the thread that started it and inherits that thread's armed time limits
// (see vxAttention.h), so that an abort or a caller's limit reaches it. An exception
// that leaves the worker's function is caught and kept until the worker is waited for.
#pragma once

#include "vxException.h"

#include <exception>

// Identifies a started worker until it is waited for. A default ID is invalid.
class vxThreadID {
public:
    vxThreadID() = default;
    bool isValid() const { return value_ != 0; }
    unsigned long value() const { return value_; }
    friend bool operator==(vxThreadID a, vxThreadID b) { return a.value_ == b.value_; }

private:
    friend vxThreadID vfCreateThreadTarn(void (*)(void*), void*, int, long);
    explicit vxThreadID(unsigned long value) : value_(value) {}
    unsigned long value_ = 0;
};

class vxThread {
public:
    // Base of the thread facility's errors.
    class Error : public vx_ExceptionImpl<Error, 0x10000045> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // The ID names no worker that can be waited for (invalid, already waited for, or
    // the calling thread itself).
    class BadID : public vx_ExceptionImpl<BadID, 0x10000046, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // The worker could not be started (no function, or the system refused a thread).
    class StartFailed : public vx_ExceptionImpl<StartFailed, 0x10000047, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};

// Starts a worker running fn(arg) and returns its ID; throws vxThread::StartFailed when
// fn is null or no thread can be made. Every worker must be waited for once.
// `priority` (-1: the default) and `last` (-1) are accepted for compatibility; workers
// run at the default priority.
vxThreadID vfCreateThreadTarn(void (*fn)(void*), void* arg, int priority = -1, long last = -1);

// Waits until the worker ends and forgets its ID. Returns true when its function
// returned normally, false when an exception left it; that exception is then handed
// to *failure when failure is not null (std::rethrow_exception rethrows it). Throws
// vxThread::BadID for an ID that names no worker waiting to be joined, or for the
// calling worker's own ID.
bool vfWaitForThreadTermination(vxThreadID id, std::exception_ptr* failure = nullptr);
