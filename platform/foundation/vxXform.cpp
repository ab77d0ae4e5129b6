// Transform archive operators and the shared transform classes.
#include "vxXform.h"

#include <set>
#include <vector>

vxArchive& operator||(vxArchive& ar, vxXform<2>& x) {
    return ar || x.m_ || x.t_;
}

vxArchive& operator||(vxArchive& ar, vx2Rigid& r) {
    return ar || r.t_ || r.a_;
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

bool vx2XformComposite::isLinear() const {
    return orIdentity(outer_).isLinear() && orIdentity(inner_).isLinear();
}

vxVector<2> vx2XformComposite::mapPoint(const vxVector<2>& p) const {
    return orIdentity(outer_).mapPoint(orIdentity(inner_).mapPoint(p));
}

vx2XformLinear vx2XformComposite::linearXform(const vxVector<2>& at) const {
    const vx2XformBase& in = orIdentity(inner_);
    // Chain rule: the outer derivative is taken where the inner map sends `at`.
    return vx2XformLinear(orIdentity(outer_).linearXform(in.mapPoint(at)).xform() *
                          in.linearXform(at).xform());
}

vxPtrHandle_const<vx2XformBase> vx2XformComposite::inverse() const {
    vxPtrHandle_const<vx2XformBase> innerInv = orIdentity(inner_).inverse();
    vxPtrHandle_const<vx2XformBase> outerInv = orIdentity(outer_).inverse();
    return vxPtrHandle_const<vx2XformBase>(new vx2XformComposite(innerInv, outerInv));
}

bool vx2XformComposite::isEqual(const vx2XformBase& other) const {
    const auto* o = dynamic_cast<const vx2XformComposite*>(&other);
    return o && orIdentity(outer_).isEqual(orIdentity(o->outer_)) &&
           orIdentity(inner_).isEqual(orIdentity(o->inner_));
}

bool vx2XformComposite::isRealEq(const vx2XformBase& other, double tol) const {
    const auto* o = dynamic_cast<const vx2XformComposite*>(&other);
    return o && orIdentity(outer_).isRealEq(orIdentity(o->outer_), tol) &&
           orIdentity(inner_).isRealEq(orIdentity(o->inner_), tol);
}

void vx2XformComposite::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vx2XformComposite))) return;
    ar.transferVersion(0, 0, "vx2XformComposite");
    ar || outer_ || inner_;
    if (ar.isLoading() && reaches_(this)) {
        // A damaged archive can link composites into a loop, which would make every
        // map recurse for ever; the loop passes through this object, so dropping
        // its links also frees the objects of the loop.
        outer_.reset();
        inner_.reset();
        throw vxArchive::BadData(L"Archive holds a transform that contains itself");
    }
    vx2XformBase::dispatchSerialize(ar);
    setVisited(ar, typeid(vx2XformComposite));
}

bool vx2XformComposite::reaches_(const vx2XformBase* target) const {
    std::vector<const vx2XformComposite*> todo{this};
    std::set<const vx2XformComposite*> seen{this};
    while (!todo.empty()) {
        const vx2XformComposite* c = todo.back();
        todo.pop_back();
        for (const vx2XformBase* child : {c->outer_.get(), c->inner_.get()}) {
            if (!child) continue;
            if (child == target) return true;
            const auto* cc = dynamic_cast<const vx2XformComposite*>(child);
            if (cc && seen.insert(cc).second) todo.push_back(cc);
        }
    }
    return false;
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
