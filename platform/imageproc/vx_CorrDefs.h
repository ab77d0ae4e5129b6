// Score modes and errors of the correlation core (error numbers 0x100000a8 to
// 0x100000af). Each error class is registered for archiving.
#pragma once

#include "vxException.h"

class vx_CorrDefs {
public:
    // How a placement's correlation r (from -1 to 1) becomes its score. Callers pass
    // the values as plain ints.
    enum ScoreMode {
        eClamped = 0, // r, with a negative correlation (reversed contrast) as 0
        eSquared = 1, // r^2 for positive r, else 0: the share of the patch's variance
                      // the model explains
        eSigned = 2   // r itself, so that reversed contrast shows as a negative score
    };
    // The 16-bit score of r = 1 (scores are round(value * kScoreOne)).
    static constexpr short kScoreOne = 10000;

    // Base of the correlation-core errors.
    class Error : public vx_ExceptionImpl<Error, 0x100000a8> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A score mode, size or placement outside its documented range.
    class BadArgument : public vx_ExceptionImpl<BadArgument, 0x100000a9, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
