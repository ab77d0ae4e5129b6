// Errors of the diagnostics and display-graphics library (error numbers 0x10000080 to
// 0x1000008f). Each class is registered for archiving, so a diagnostics error can be
// stored and re-created like any other foundation error.
#pragma once

#include "vxException.h"

class vxDiagDefs {
public:
    // Base of the diagnostics errors.
    class Errors : public vx_ExceptionImpl<Errors, 0x10000080> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A record, text, graphics or graphic index out of range.
    class BadIndex : public vx_ExceptionImpl<BadIndex, 0x10000081, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A negative nesting level.
    class BadLevel : public vx_ExceptionImpl<BadLevel, 0x10000082, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // Any other argument outside its documented domain (a coordinate system, pen width,
    // icon size, precision, digit count or buffer size).
    class BadArgument : public vx_ExceptionImpl<BadArgument, 0x10000083, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A file could not be written.
    class IoError : public vx_ExceptionImpl<IoError, 0x10000084, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
