// Per-thread abort requests and time-limit stacks.
#include "vxAttention.h"

#include "vxArchive.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The hot path of vxAttention::check reads only these two plain thread-locals: the
// raised flag of the thread's request (null until the thread has a request) and the
// soonest armed deadline (kNever when nothing is armed).
thread_local constinit const std::atomic<bool>* tAbortFlag = nullptr;
thread_local constinit std::int64_t tSoonest = kNever;

// The rest of the thread's state, touched only when it changes.
struct ThreadAttention {
    vxPtrHandle<vx_AttentionState> state;
    std::vector<vx_ArmedLimit> limits; // outermost first
    std::uint64_t nextTagId = 1;

    ~ThreadAttention() {
        tAbortFlag = nullptr;
        tSoonest = kNever;
    }
    void setState(vxPtrHandle<vx_AttentionState> s) {
        state = std::move(s);
        tAbortFlag = &state->abortRequested;
    }
    void updateSoonest() {
        std::int64_t soonest = kNever;
        for (const vx_ArmedLimit& l : limits)
            soonest = std::min(soonest, l.deadline);
        tSoonest = soonest;
    }
};
thread_local ThreadAttention tThread;

ThreadAttention& threadWithState() {
    ThreadAttention& t = tThread;
    if (!t.state) t.setState(vxPtrHandle<vx_AttentionState>(new vx_AttentionState));
    return t;
}

template <class E> vxPersistent* makeError() {
    return new E;
}

} // namespace

vxPersistent* vxTimeout::Error::make() {
    return makeError<Error>();
}
const vx_Instantiator vxTimeout::Error::sExemplar(typeid(Error), &Error::make);
vxPersistent* vxTimeout::Expired::make() {
    return makeError<Expired>();
}
const vx_Instantiator vxTimeout::Expired::sExemplar(typeid(Expired), &Expired::make);
vxPersistent* vxTimeout::InternalExpired::make() {
    return makeError<InternalExpired>();
}
const vx_Instantiator vxTimeout::InternalExpired::sExemplar(typeid(InternalExpired),
                                                            &InternalExpired::make);
vxPersistent* vxTimeout::BadLimit::make() {
    return makeError<BadLimit>();
}
const vx_Instantiator vxTimeout::BadLimit::sExemplar(typeid(BadLimit), &BadLimit::make);
vxPersistent* vxAttention::Aborted::make() {
    return makeError<Aborted>();
}
const vx_Instantiator vxAttention::Aborted::sExemplar(typeid(Aborted), &Aborted::make);

vxTimeout::InternalExpired::InternalExpired(unsigned long code)
    : vx_ExceptionImpl(L"Internal time limit expired"), code_(code) {}

void vxTimeout::InternalExpired::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(InternalExpired))) return;
    ar.transferVersion(0, 0, "vxTimeout::InternalExpired");
    ar || code_;
    Error::dispatchSerialize(ar);
    setVisited(ar, typeid(InternalExpired));
}

vxAttention::Token::Token() : state_(new vx_AttentionState) {}

void vxAttention::Token::requestAbort() const {
    state_->abortRequested.store(true, std::memory_order_release);
}

void vxAttention::Token::clearAbort() const {
    state_->abortRequested.store(false, std::memory_order_release);
}

bool vxAttention::Token::isAbortRequested() const {
    return state_->abortRequested.load(std::memory_order_acquire);
}

vxAttention::Token vxAttention::current() {
    return Token(threadWithState().state);
}

void vxAttention::adopt(const Token& token) {
    tThread.setState(token.state_);
}

bool vxAttention::isAbortRequested() {
    const std::atomic<bool>* flag = tAbortFlag;
    return flag && flag->load(std::memory_order_acquire);
}

void vxAttention::check() {
    const std::atomic<bool>* flag = tAbortFlag;
    if (flag && flag->load(std::memory_order_relaxed)) throw Aborted();
    if (tSoonest != kNever) checkLimits_();
}

void vxAttention::checkLimits_() {
    const std::int64_t now = nowNs();
    if (now < tSoonest) return;
    for (const vx_ArmedLimit& l : tThread.limits) {
        if (l.deadline > now) continue;
        if (l.internal) throw vxTimeout::InternalExpired(l.code);
        throw vxTimeout::Expired();
    }
}

vxAttention::Inheritance vxAttention::inheritance_() {
    ThreadAttention& t = threadWithState();
    Inheritance inherited{Token(t.state), t.limits};
    for (vx_ArmedLimit& l : inherited.limits)
        l.owner = 0; // no tag of the worker owns them
    return inherited;
}

void vxAttention::install_(const Inheritance& inherited) {
    ThreadAttention& t = tThread;
    t.setState(inherited.token.state_);
    t.limits = inherited.limits;
    t.updateSoonest();
}

void vxAttentionTag::attachTimeoutCustom(double ms, unsigned long code) {
    attach_(ms, true, code);
}

void vxAttentionTag::attachTimeout(double ms) {
    attach_(ms, false, 0);
}

void vxAttentionTag::attach_(double ms, bool internal, unsigned long code) {
    if (std::isnan(ms) || ms < 0) throw vxTimeout::BadLimit(L"Time limit must be >= 0");
    if (!enabled_) return;
    const std::int64_t now = nowNs();
    const double ns = ms * 1e6;
    const std::int64_t deadline =
        ns >= static_cast<double>(kNever - now) ? kNever : now + static_cast<std::int64_t>(ns);
    ThreadAttention& t = tThread;
    t.limits.reserve(t.limits.size() + 1); // so that nothing fails after the old limit is gone
    detach();
    t.limits.push_back({deadline, internal, code, t.nextTagId});
    id_ = t.nextTagId++;
    t.updateSoonest();
}

void vxAttentionTag::detach() {
    if (id_ == 0) return;
    ThreadAttention& t = tThread;
    auto it = std::find_if(t.limits.rbegin(), t.limits.rend(),
                           [this](const vx_ArmedLimit& l) { return l.owner == id_; });
    if (it != t.limits.rend()) t.limits.erase(std::next(it).base());
    id_ = 0;
    t.updateSoonest();
}
