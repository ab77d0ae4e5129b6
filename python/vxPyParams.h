// Keyword parameters of oc.arrange and oc.verify, named as octool's --set names them.
#pragma once

#include "vxOCArrangeParams.h"
#include "vxOCVerify.h"

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>

// A parameter value the module refuses; raised in Python as oc.ParamError.
class vxPyParamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sets the parameters named by the keys of `params` from their values: bool, int, float,
// str (as octool takes it, e.g. "eCircular" or "1.5rad") or a (start, end) pair for a
// range. Verification's own names (margin, minScore, xyRange, angleRange) go to
// `verifyParams` when it is not null. Throws TypeError for an unknown name (naming
// `function`) or a value of another type, vxPyParamError "NAME=VALUE: why" for a value
// that does not parse or is refused. Needs the GIL.
void vfPySetParams(const pybind11::dict& params, const char* function,
                   vxOCArrangeParams& arrangeParams, vxOCVerifyParams* verifyParams);
