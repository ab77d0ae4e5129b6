// Transform archive operators and the shared transform classes.
#include "vxXform.h"

#include <cmath>
#include <functional>
#include <initializer_list>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {
// A transform that is not finite means nothing, and NaN would not even equal itself:
// a stream holding one is corrupt.
void requireFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v))
            throw vxArchive::BadData(L"Archive holds a transform that is not finite");
}
} // namespace

vxArchive& operator||(vxArchive& ar, vxXform<2>& x) {
    if (ar.isStoring()) return ar || x.m_ || x.t_;
    vxXform<2> loaded;
    ar || loaded.m_ || loaded.t_;
    requireFinite({loaded.m_(0, 0), loaded.m_(0, 1), loaded.m_(1, 0), loaded.m_(1, 1),
                   loaded.t_.x(), loaded.t_.y()});
    x = loaded;
    return ar;
}

vxArchive& operator||(vxArchive& ar, vx2Rigid& r) {
    if (ar.isStoring()) return ar || r.t_ || r.a_;
    vx2Rigid loaded;
    ar || loaded.t_ || loaded.a_;
    requireFinite({loaded.t_.x(), loaded.t_.y(), loaded.a_.plain()});
    r = loaded;
    return ar;
}

// ---------------------------------------------------------------------------
// vx2XformBase

void vx2XformBase::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vx2XformBase))) return;
    ar.transferVersion(0, 0, "vx2XformBase");
    vxPersistent::dispatchSerialize(ar);
    setVisited(ar, typeid(vx2XformBase));
}

// ---------------------------------------------------------------------------
// vx2XformLinear

namespace {
const vx_Instantiator sLinearExemplar(typeid(vx2XformLinear), &vx2XformLinear::make);
const vx_Instantiator sCompositeExemplar(typeid(vx2XformComposite), &vx2XformComposite::make);

const vx2XformBase& identity() {
    static const vx2XformLinear id;
    return id;
}
const vx2XformBase& orIdentity(const vxPtrHandle_const<vx2XformBase>& h) {
    return h ? *h : identity();
}
} // namespace

vxPtrHandle_const<vx2XformBase> vx2XformLinear::inverse() const {
    return vxPtrHandle_const<vx2XformBase>(new vx2XformLinear(x_.inverse()));
}

bool vx2XformLinear::isEqual(const vx2XformBase& other) const {
    const auto* o = dynamic_cast<const vx2XformLinear*>(&other);
    return o && o->x_ == x_;
}

bool vx2XformLinear::isRealEq(const vx2XformBase& other, double tol) const {
    const auto* o = dynamic_cast<const vx2XformLinear*>(&other);
    return o && vfRealEq(o->x_, x_, tol);
}

void vx2XformLinear::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vx2XformLinear))) return;
    ar.transferVersion(0, 0, "vx2XformLinear");
    ar || x_;
    vx2XformBase::dispatchSerialize(ar);
    setVisited(ar, typeid(vx2XformLinear));
}

// ---------------------------------------------------------------------------
// vx2XformComposite

vx2XformComposite::~vx2XformComposite() {
    // Releasing the parts in turn would recurse once per link of a long chain; a part
    // that dies with this object hands its own parts to this loop instead.
    std::vector<vxPtrHandle_const<vx2XformBase>> dying;
    dying.push_back(std::move(outer_));
    dying.push_back(std::move(inner_));
    while (!dying.empty()) {
        vxPtrHandle_const<vx2XformBase> part = std::move(dying.back());
        dying.pop_back();
        if (!part || part->refCount() != 1) continue;
        const auto* c = dynamic_cast<const vx2XformComposite*>(part.get());
        if (!c) continue;
        // This handle is the last: nobody else can see the object any more.
        auto* last = const_cast<vx2XformComposite*>(c);
        dying.push_back(std::move(last->outer_));
        dying.push_back(std::move(last->inner_));
    }
}

void vx2XformComposite::settle_() {
    const vx2XformBase& outer = orIdentity(outer_);
    const vx2XformBase& inner = orIdentity(inner_);
    linear_ = outer.isLinear() && inner.isLinear();
    // A linear part's linearisation is the same everywhere; composite parts answer
    // from their own product, so this takes constant time.
    product_ = linear_ ? outer.linearXform(vxVector<2>()).xform() *
                             inner.linearXform(vxVector<2>()).xform()
                       : vxXform<2>();
}

bool vx2XformComposite::isLinear() const {
    return linear_;
}

vxVector<2> vx2XformComposite::mapPoint(const vxVector<2>& p) const {
    if (linear_) return product_.mapPoint(p);
    return orIdentity(outer_).mapPoint(orIdentity(inner_).mapPoint(p));
}

vx2XformLinear vx2XformComposite::linearXform(const vxVector<2>& at) const {
    if (linear_) return vx2XformLinear(product_);
    const vx2XformBase& in = orIdentity(inner_);
    // Chain rule: the outer derivative is taken where the inner map sends `at`.
    return vx2XformLinear(orIdentity(outer_).linearXform(in.mapPoint(at)).xform() *
                          in.linearXform(at).xform());
}

vxPtrHandle_const<vx2XformBase> vx2XformComposite::inverse() const {
    if (linear_) return vfMakeXform(product_.inverse());
    vxPtrHandle_const<vx2XformBase> innerInv = orIdentity(inner_).inverse();
    vxPtrHandle_const<vx2XformBase> outerInv = orIdentity(outer_).inverse();
    return vxPtrHandle_const<vx2XformBase>(new vx2XformComposite(innerInv, outerInv));
}

template <class SameLeaf>
bool vx2XformComposite::sameParts_(const vx2XformBase& other, SameLeaf sameLeaf) const {
    // Walked with a work list and a set of pairs already queued, so that shared parts
    // are compared once and deep chains do not recurse.
    using Pair = std::pair<const vx2XformBase*, const vx2XformBase*>;
    struct PairHash {
        size_t operator()(const Pair& p) const {
            const std::hash<const void*> h;
            return h(p.first) * 31 + h(p.second);
        }
    };
    std::vector<Pair> todo{{this, &other}};
    std::unordered_set<Pair, PairHash> queued{todo.front()};
    while (!todo.empty()) {
        const auto [a, b] = todo.back();
        todo.pop_back();
        const auto* ca = dynamic_cast<const vx2XformComposite*>(a);
        const auto* cb = dynamic_cast<const vx2XformComposite*>(b);
        if (!ca || !cb) {
            if (ca || cb || !sameLeaf(*a, *b)) return false;
            continue;
        }
        for (const Pair& next : {Pair(&orIdentity(ca->outer_), &orIdentity(cb->outer_)),
                                 Pair(&orIdentity(ca->inner_), &orIdentity(cb->inner_))})
            if (queued.insert(next).second) todo.push_back(next);
    }
    return true;
}

bool vx2XformComposite::isEqual(const vx2XformBase& other) const {
    return sameParts_(other,
                      [](const vx2XformBase& a, const vx2XformBase& b) { return a.isEqual(b); });
}

bool vx2XformComposite::isRealEq(const vx2XformBase& other, double tol) const {
    return sameParts_(
        other, [tol](const vx2XformBase& a, const vx2XformBase& b) { return a.isRealEq(b, tol); });
}

void vx2XformComposite::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vx2XformComposite))) return;
    ar.transferVersion(0, 0, "vx2XformComposite");
    if (ar.isStoring()) {
        ar || outer_ || inner_;
    } else {
        vxPtrHandle_const<vx2XformBase> outer, inner;
        ar || outer || inner;
        // A part that is still loading encloses this object, so linking it would close
        // a loop through which every map recurses for ever. Only such a link can close
        // one, so checking the two parts here catches every loop.
        if (ar.isStillLoading(outer.get()) || ar.isStillLoading(inner.get()))
            throw vxArchive::BadData(L"Archive holds a transform that contains itself");
        outer_ = std::move(outer);
        inner_ = std::move(inner);
        settle_();
    }
    vx2XformBase::dispatchSerialize(ar);
    setVisited(ar, typeid(vx2XformComposite));
}

// ---------------------------------------------------------------------------

vxPtrHandle_const<vx2XformBase> vfMakeXform(const vxXform<2>& x) {
    return vxPtrHandle_const<vx2XformBase>(new vx2XformLinear(x));
}

vxPtrHandle_const<vx2XformBase> vfComposeXforms(const vxPtrHandle_const<vx2XformBase>& outer,
                                                const vxPtrHandle_const<vx2XformBase>& inner) {
    if (!outer) return inner;
    if (!inner) return outer;
    if (outer->isLinear() && inner->isLinear())
        return vfMakeXform(outer->linearXform(vxVector<2>()).xform() *
                           inner->linearXform(vxVector<2>()).xform());
    return vxPtrHandle_const<vx2XformBase>(new vx2XformComposite(outer, inner));
}
