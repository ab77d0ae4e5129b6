// Errors and enumerations of the geometric pattern-alignment tool (error numbers
// 0x100000e0 to 0x100000ef).
#pragma once

#include "vxException.h"

class vx_KSDefs {
public:
    // Degrees of freedom of a run's pose, as passed to nominal and zone.
    enum DOF { eAngle = 1, eScale = 2 };
    // Bits of zoneEnable: a degree of freedom whose bit is set is searched over its
    // zone; one whose bit is clear is held at its nominal value.
    enum ZoneBits { eAngleZone = 1, eScaleZone = 2 };
    // Search strategies. eCoarseToFine searches an image pyramid; eExhaustive tries every
    // full-resolution position at 1-degree and 0.05-scale steps (slow, for reference).
    enum Algorithm { eExhaustive = 1, eCoarseToFine = 2 };
    // Bits of the train mode: eTrainSearch keeps the coarse pyramid levels for the
    // search, eTrainFine the finest level for sub-pixel refinement; 3 trains both.
    enum TrainMode { eTrainSearch = 1, eTrainFine = 2, eTrainAll = 3 };

    // Base of the tool's errors (training failures are of this class or derived).
    class Errors : public vx_ExceptionImpl<Errors, 0x100000e0> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A parameter outside its documented domain.
    class BadParams : public vx_ExceptionImpl<BadParams, 0x100000e1, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // An unbound or empty image, or a mask whose size differs from its image's.
    class BadImage : public vx_ExceptionImpl<BadImage, 0x100000e2, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // The training image has too few usable edge features to align on.
    class TooFewFeatures : public vx_ExceptionImpl<TooFewFeatures, 0x100000e3, Errors> {
    public:
        TooFewFeatures() : vx_ExceptionImpl(L"Too few features to train the pattern") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // The pattern was run before it was trained.
    class NotTrained : public vx_ExceptionImpl<NotTrained, 0x100000e4, Errors> {
    public:
        NotTrained() : vx_ExceptionImpl(L"The alignment pattern is not trained") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A run was stopped by an abort request; its result set is left empty.
    class InternalError : public vx_ExceptionImpl<InternalError, 0x100000e5, Errors> {
    public:
        InternalError() : vx_ExceptionImpl(L"Alignment run aborted") {}
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
