// Cooperative stopping of running operations: abort requests that another thread can
// raise, and time limits armed per thread. Long-running code polls vxAttention::check,
// which throws when either applies.
//
// Each thread has an attention state: a shared abort request (a vxAttention::Token) and
// a stack of armed time limits. Limits nest; when several have passed, the outermost
// one is reported, so a limit armed by an outer caller always wins over the library's
// own, shorter-lived limits. Worker threads started with vfCreateThreadTarn share the
// abort request of the thread that started them and inherit copies of its armed limits.
#pragma once

#include "vxException.h"
#include "vxRepBase.h"

#include <atomic>
#include <cstdint>
#include <vector>

// Time-limit errors.
class vxTimeout {
public:
    // Base of the two expiry errors; catch it to handle either kind.
    class Error : public vx_ExceptionImpl<Error, 0x10000041> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A limit armed with vxAttentionTag::attachTimeout (a caller's own limit) has passed.
    class Expired : public vx_ExceptionImpl<Expired, 0x10000042, Error> {
    public:
        Expired() : vx_ExceptionImpl(L"Time limit expired") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A limit armed with vxAttentionTag::attachTimeoutCustom (a library's internal limit)
    // has passed; code() is the code it was armed with.
    class InternalExpired : public vx_ExceptionImpl<InternalExpired, 0x10000043, Error> {
    public:
        explicit InternalExpired(unsigned long code = 0);
        unsigned long code() const { return code_; }
        void dispatchSerialize(vxArchive& ar) override;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;

    private:
        unsigned long code_ = 0;
    };
    // A time limit that is negative or not a number.
    class BadLimit : public vx_ExceptionImpl<BadLimit, 0x10000044> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};

// The shared abort request behind a vxAttention::Token.
class vx_AttentionState : public vxRepBase {
public:
    std::atomic<bool> abortRequested{false};
};

// One armed time limit of a thread (steady-clock nanoseconds).
struct vx_ArmedLimit {
    std::int64_t deadline = 0;
    bool internal = false;   // armed by attachTimeoutCustom
    unsigned long code = 0;  // reported by vxTimeout::InternalExpired
    std::uint64_t owner = 0; // the arming tag's id; 0 for limits inherited by a worker
};

class vxAttention {
public:
    // The running operation was asked to stop.
    class Aborted : public vx_ExceptionImpl<Aborted, 0x10000040> {
    public:
        Aborted() : vx_ExceptionImpl(L"Operation aborted") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };

    // A shareable handle on one abort request. Copies refer to the same request; a
    // request stays raised until it is cleared.
    class Token {
    public:
        // A new request of its own, not raised.
        Token();
        void requestAbort() const;
        void clearAbort() const;
        bool isAbortRequested() const;
        friend bool operator==(const Token& a, const Token& b) { return a.state_ == b.state_; }

    private:
        friend class vxAttention;
        explicit Token(vxPtrHandle<vx_AttentionState> state) : state_(std::move(state)) {}
        vxPtrHandle<vx_AttentionState> state_;
    };

    // The abort request of the calling thread (made on first use). Hand it to another
    // thread so that it can stop what this thread runs.
    static Token current();
    // Makes the calling thread (and the workers it starts from now on) share `token`'s
    // request instead of its own.
    static void adopt(const Token& token);
    static void requestAbort(const Token& token) { token.requestAbort(); }
    static void clearAbort(const Token& token) { token.clearAbort(); }
    // Whether the calling thread's request is raised.
    static bool isAbortRequested();

    // Throws Aborted when the calling thread's abort request is raised; otherwise throws
    // vxTimeout::Expired or vxTimeout::InternalExpired when an armed limit of the calling
    // thread has passed (the outermost passed limit decides which). Reads the clock only
    // while a limit is armed, so it is cheap enough for inner loops.
    static void check();

    // The calling thread's abort request and armed limits, as a worker inherits them.
    struct Inheritance {
        Token token;
        std::vector<vx_ArmedLimit> limits;
    };
    static Inheritance inheritance_();
    // Installs an inheritance as the calling thread's state (at the start of a worker).
    static void install_(const Inheritance& inherited);

private:
    friend class vxAttentionTag;
    static void checkLimits_();
};

// Arms a time limit for the scope it guards. The limit belongs to the thread that armed
// it and is disarmed by the destructor, which must run on that thread. A disabled tag
// arms nothing, so callers can switch a limit off without branching.
class vxAttentionTag {
public:
    explicit vxAttentionTag(bool enabled = true) : enabled_(enabled) {}
    ~vxAttentionTag() { detach(); }
    vxAttentionTag(const vxAttentionTag&) = delete;
    vxAttentionTag& operator=(const vxAttentionTag&) = delete;

    // Arms a limit `ms` milliseconds from now whose expiry vxAttention::check reports as
    // vxTimeout::InternalExpired carrying `code`; replaces the tag's previous limit. A
    // negative or NaN `ms` throws vxTimeout::BadLimit and leaves the tag as it was; 0
    // expires at the next check, infinity never.
    void attachTimeoutCustom(double ms, unsigned long code);
    // The same for a caller's own limit, reported as vxTimeout::Expired.
    void attachTimeout(double ms);
    // Disarms the tag's limit, if any.
    void detach();

    bool isEnabled() const { return enabled_; }
    bool isArmed() const { return id_ != 0; }

private:
    void attach_(double ms, bool internal, unsigned long code);
    bool enabled_;
    std::uint64_t id_ = 0;
};
