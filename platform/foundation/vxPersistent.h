// Base of every object that archives itself, and the load-time class registry
// through which an archive re-creates objects by their type.
#pragma once

#include <typeinfo>

class vxArchive;

// A persistent object archives itself one class level at a time: each level's
// dispatchSerialize checks haveVisited, transfers its version byte and fields,
// calls its base level and marks itself with setVisited. One call order serves
// storing and loading.
class vxPersistent {
public:
    virtual ~vxPersistent() = default;

    // Archives this level (and, through it, the base levels) of the object.
    virtual void dispatchSerialize(vxArchive& ar);
    // Returns the object to its default state; the archive calls it before loadSimple.
    virtual void reInit() {}
    // Loads the whole object from the archive (reInit, then dispatchSerialize).
    virtual void loadSimple(vxArchive& ar);

    // Stores or loads a persistent pointer through the archive's object table: an
    // object reached through several pointers is stored once and comes back once.
    // Loading gives the caller ownership of a new object (or of a share of one already
    // loaded when the object derives from vxRepBase).
    static void serializePointer(vxArchive& ar, vxPersistent*& p);

protected:
    vxPersistent() = default;
    vxPersistent(const vxPersistent&) = default;
    vxPersistent& operator=(const vxPersistent&) = default;

    // True when the class level `level` of this object was already archived in the
    // current archive operation.
    bool haveVisited(vxArchive& ar, const std::type_info& level) const;
    void setVisited(vxArchive& ar, const std::type_info& level) const;
    // Called by setters before they change the object; a hook for caches and observers.
    void mutating() {}
};

// One static instance per persistent class registers its factory at load time.
class vx_Instantiator {
public:
    using Factory = vxPersistent* (*)();
    vx_Instantiator(const std::type_info& type, Factory make);
};

// Creates a new object of the registered class named `name` (as written by the
// archive), or returns null when no class of that name is registered.
vxPersistent* vf_MakeRegistered(const char* name);
// The name under which a type is registered and archived.
const char* vf_RegisteredName(const std::type_info& type);
