// Reference-counted sharing: vxRepBase carries an atomic count, vxPtrHandle and
// vxPtrHandle_const are intrusive handles on it. A copy of a handle shares the
// object; the last handle to let go deletes it.
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

class vxRepBase {
public:
    vxRepBase() noexcept = default;
    // A copied object starts with its own count: sharing is the handles' business.
    vxRepBase(const vxRepBase&) noexcept {}
    vxRepBase& operator=(const vxRepBase&) noexcept { return *this; }
    virtual ~vxRepBase() = default;

    void addRef_() const noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference and deletes the object when it was the last.
    void release_() const noexcept {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    long refCount() const noexcept { return count_.load(std::memory_order_acquire); }

private:
    mutable std::atomic<long> count_{0};
};

template <class T> class vxPtrHandle_const;

// Handle giving mutable access to a shared T (T derives, possibly virtually, from vxRepBase).
template <class T> class vxPtrHandle {
public:
    vxPtrHandle() noexcept = default;
    // Takes a share of p (which may already be shared by other handles); null is allowed.
    explicit vxPtrHandle(T* p) noexcept : p_(p) { acquire_(); }
    vxPtrHandle(const vxPtrHandle& o) noexcept : p_(o.p_) { acquire_(); }
    vxPtrHandle(vxPtrHandle&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U> vxPtrHandle(const vxPtrHandle<U>& o) noexcept : p_(o.get()) { acquire_(); }
    ~vxPtrHandle() { releasePtr_(); }

    vxPtrHandle& operator=(vxPtrHandle o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* rep() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    bool isNull() const noexcept { return p_ == nullptr; }
    void reset() noexcept { vxPtrHandle().swap(*this); }
    void swap(vxPtrHandle& o) noexcept { std::swap(p_, o.p_); }

    friend bool operator==(const vxPtrHandle& a, const vxPtrHandle& b) noexcept {
        return a.p_ == b.p_;
    }

private:
    void acquire_() const noexcept {
        if (p_) static_cast<const vxRepBase*>(p_)->addRef_();
    }
    void releasePtr_() noexcept {
        if (p_) static_cast<const vxRepBase*>(p_)->release_();
        p_ = nullptr;
    }
    T* p_ = nullptr;
};

// Handle giving read-only access to a shared T.
template <class T> class vxPtrHandle_const {
public:
    vxPtrHandle_const() noexcept = default;
    explicit vxPtrHandle_const(const T* p) noexcept : p_(p) { acquire_(); }
    vxPtrHandle_const(const vxPtrHandle_const& o) noexcept : p_(o.p_) { acquire_(); }
    vxPtrHandle_const(vxPtrHandle_const&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U> vxPtrHandle_const(const vxPtrHandle<U>& o) noexcept : p_(o.get()) {
        acquire_();
    }
    template <class U> vxPtrHandle_const(const vxPtrHandle_const<U>& o) noexcept : p_(o.get()) {
        acquire_();
    }
    ~vxPtrHandle_const() {
        if (p_) static_cast<const vxRepBase*>(p_)->release_();
    }

    vxPtrHandle_const& operator=(vxPtrHandle_const o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    const T* get() const noexcept { return p_; }
    const T* rep() const noexcept { return p_; }
    const T& operator*() const noexcept { return *p_; }
    const T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    bool isNull() const noexcept { return p_ == nullptr; }
    void reset() noexcept { vxPtrHandle_const().swap(*this); }
    void swap(vxPtrHandle_const& o) noexcept { std::swap(p_, o.p_); }

    friend bool operator==(const vxPtrHandle_const& a, const vxPtrHandle_const& b) noexcept {
        return a.p_ == b.p_;
    }

private:
    void acquire_() const noexcept {
        if (p_) static_cast<const vxRepBase*>(p_)->addRef_();
    }
    const T* p_ = nullptr;
};
