// Arrange parameters by name for `octool arrange --set NAME=VALUE`: every field of
// vxOCArrangeParams, with values written as numbers, integers, ranges "a:b", booleans
// true/false, angles in degrees ("rad" suffix for radians) and enumerations by their
// enumerator names (or their numbers).
#pragma once

#include "vxOCArrangeParams.h"

#include <string>

// Sets the field named in "NAME=VALUE". Throws vxToolError for an unknown name or a
// value that does not parse, and vxToolError carrying the setter's own message when
// the setter refuses the value; the parameters are then unchanged.
void vfToolSetParam(vxOCArrangeParams& params, const std::string& assignment);

// One line per field: name, value form, default value and meaning.
std::string vfToolParamsHelp();
