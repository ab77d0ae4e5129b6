// The persistent base level and the class registry.
#include "vxArchive.h"

#include <cstdlib>
#include <cxxabi.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>

namespace {
struct Registry {
    std::mutex lock;
    std::map<std::string, vx_Instantiator::Factory> byName;
};
Registry& registry() {
    static Registry r; // built on first use, so registration order across files is free
    return r;
}
} // namespace

void vxPersistent::dispatchSerialize(vxArchive&) {
    // The base level holds no data.
}

void vxPersistent::loadSimple(vxArchive& ar) {
    reInit();
    ar.serializeObject(*this);
}

void vxPersistent::serializePointer(vxArchive& ar, vxPersistent*& p) {
    ar.serializePointer(p);
}

bool vxPersistent::haveVisited(vxArchive& ar, const std::type_info& level) const {
    return ar.visited_(dynamic_cast<const void*>(this), level);
}

void vxPersistent::setVisited(vxArchive& ar, const std::type_info& level) const {
    ar.markVisited_(dynamic_cast<const void*>(this), level);
}

const char* vf_RegisteredName(const std::type_info& type) {
    // The mangled name is stable for a given ABI and unique per class.
    return type.name();
}

vx_Instantiator::vx_Instantiator(const std::type_info& type, Factory make) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.byName[vf_RegisteredName(type)] = make;
}

vxPersistent* vf_MakeRegistered(const char* name) {
    Registry& r = registry();
    vx_Instantiator::Factory make = nullptr;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.byName.find(name);
        if (it != r.byName.end()) make = it->second;
    }
    return make ? make() : nullptr;
}
