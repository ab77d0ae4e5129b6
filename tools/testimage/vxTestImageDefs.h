// Errors of the test-image generator (error numbers 0x100000d0 to 0x100000d7). Each
// class is registered for archiving like the foundation's errors.
#pragma once

#include "vxException.h"

class vxTestImageDefs {
public:
    // Base of the test-image errors.
    class Errors : public vx_ExceptionImpl<Errors, 0x100000d0> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // An argument outside its documented domain (a size, level, sigma or radius).
    class BadArgument : public vx_ExceptionImpl<BadArgument, 0x100000d1, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A character the font has no glyph for.
    class UnknownChar : public vx_ExceptionImpl<UnknownChar, 0x100000d2, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A file could not be opened, read or written.
    class IoError : public vx_ExceptionImpl<IoError, 0x100000d3, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A file that is not a well-formed 8-bit binary PGM (P5) image.
    class BadFormat : public vx_ExceptionImpl<BadFormat, 0x100000d4, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
