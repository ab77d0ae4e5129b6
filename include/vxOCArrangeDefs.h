// The arranger's enumerations and its errors.
#pragma once

#include "vx_OCErrorLevels.h"

class vxOCArrangeDefs {
public:
    enum LineType { eStraight = 0, eCircular = 1, eDontCare = 2 };
    enum OrientationMode { eSpecified = 0, eAverage = 1 };
    enum OrientationReference { eAbsolute = 0, eRelative = 1 };
    enum CharStatus { eMatched = 0, eInferred = 1, eUnknown = 2 };

    class Errors;
    class BadParams; // an arrange parameter out of range
    class BadMask;   // a run-time mask that does not fit the image
};

// Base of the arranger's errors. Its archive level hands on to vxException, so the
// message text of an arranger error is not archived.
class vxOCArrangeDefs::Errors
    : public vx_OCErrorLevel<vxOCArrangeDefs::Errors, vxExceptionWithString, vxException> {
public:
    static constexpr const char* className_ = "vxOCArrangeDefs::Errors";
    Errors(const Errors&) = default;
    Errors& operator=(const Errors&) = default;

protected:
    explicit Errors(const wchar_t* message) : vx_OCErrorLevel(message) {}
};

VX_OC_DECLARE_ERROR(vxOCArrangeDefs, BadParams, Errors, 0x10007400, const wchar_t*, nullptr);
VX_OC_DECLARE_ERROR(vxOCArrangeDefs, BadMask, Errors, 0x10007401, const wchar_t*, nullptr);
