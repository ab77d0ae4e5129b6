// Errors of the flexible sub-model tool (error numbers 0x100000b0 to 0x100000bf).
#pragma once

#include "vxException.h"

class vx_SubModelDefs {
public:
    // Base of the sub-model tool's errors.
    class Error : public vx_ExceptionImpl<Error, 0x100000b0> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A parameter outside its documented range (a threshold outside [0, 1], a negative
    // or non-finite uncertainty, a partial-match rectangle of negative size).
    class BadParams : public vx_ExceptionImpl<BadParams, 0x100000b1, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // An unbound or empty image, a mask whose window differs from its image's, or a
    // model too large to correlate exactly.
    class BadImage : public vx_ExceptionImpl<BadImage, 0x100000b2, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // The tool was run before it was trained.
    class NotTrained : public vx_ExceptionImpl<NotTrained, 0x100000b3, Error> {
    public:
        NotTrained() : vx_ExceptionImpl(L"The sub-model tool is not trained") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A search the tool does not do: rotation or scale zones, or a start pose that does
    // not map model pixels onto image pixels by a pure translation.
    class NotImplemented : public vx_ExceptionImpl<NotImplemented, 0x100000b4, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
