// The character finder's symmetry enumeration and its error.
#pragma once

#include "vx_OCErrorLevels.h"

#include <string>

class vx_OCExtractDefs {
public:
    enum Symmetry {
        eNotSymmetric = 0,         // does not match itself turned by half a turn
        eSymmetric180 = 1,         // matches itself turned by half a turn only
        eRotationallySymmetric = 2 // matches itself at every tested angle
    };
    class vx_OCExtractError;
};

// The only base of the finder's error is vxExceptionWithString.
class vx_OCExtractDefs::vx_OCExtractError
    : public vx_OCConcreteError<vx_OCExtractDefs::vx_OCExtractError, vxExceptionWithString,
                                0x10007402> {
public:
    static constexpr const char* className_ = "vx_OCExtractDefs::vx_OCExtractError";
    explicit vx_OCExtractError(const std::wstring& message = std::wstring())
        : vx_OCConcreteError(message) {}
    vx_OCExtractError(const vx_OCExtractError&) = default;
    vx_OCExtractError& operator=(const vx_OCExtractError&) = default;

private:
    friend struct vx_OCErrorRegistry;
    static vxPersistent* make();
    static const vx_Instantiator sExemplar;
};
