// Building blocks shared by the module's error classes: each class level archives
// a version byte (always 0) and hands on to its base level, and each concrete class
// has a fixed error number and throws itself with its full type from a base pointer.
#pragma once

#include "vxArchive.h"

#include <typeinfo>

// One archive level of an error class. Self names the level (Self::className_ is
// the name reported by vxArchive::UnknownVersion); Next is the level archived after it.
template <class Self, class Base, class Next = Base> class vx_OCErrorLevel : public Base {
public:
    using Base::Base;
    void dispatchSerialize(vxArchive& ar) override {
        if (this->haveVisited(ar, typeid(Self))) return;
        unsigned char version = 0;
        ar || version;
        serialize_(ar, version);
        this->setVisited(ar, typeid(Self));
    }

private:
    void serialize_(vxArchive& ar, unsigned char version) {
        if (version != 0) throw vxArchive::UnknownVersion(Self::className_, version);
        this->Next::dispatchSerialize(ar);
    }
};

// A concrete error class with its number.
template <class Self, class Base, long Number>
class vx_OCConcreteError : public vx_OCErrorLevel<Self, Base> {
public:
    using vx_OCErrorLevel<Self, Base>::vx_OCErrorLevel;
    long errorNumber() const override { return Number; }
    void suicideAndRethrow() override {
        Self copy(static_cast<const Self&>(*this));
        delete this;
        throw copy;
    }
};

// Declares a concrete error class Scope::Name with its message constructor, its
// archive name, and its private factory and load-time registration.
#define VX_OC_DECLARE_ERROR(Scope, Name, Base, Number, MessageArg, MessageDefault)                 \
    class Scope::Name : public vx_OCConcreteError<Scope::Name, Scope::Base, Number> {              \
    public:                                                                                        \
        static constexpr const char* className_ = #Scope "::" #Name;                               \
        explicit Name(MessageArg message = MessageDefault) : vx_OCConcreteError(message) {}        \
        Name(const Name&) = default;                                                               \
        Name& operator=(const Name&) = default;                                                    \
                                                                                                   \
    private:                                                                                       \
        friend struct vx_OCErrorRegistry;                                                          \
        static vxPersistent* make();                                                               \
        static const vx_Instantiator sExemplar;                                                    \
    }
