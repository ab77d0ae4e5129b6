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
// Sets the field `name` from the text `value`; false (nothing changed) when no field has
// that name. Faults are thrown as above, their messages starting with `what`.
bool vfToolSetParam(vxOCArrangeParams& params, const std::string& name, const std::string& value,
                    const std::string& what);

// One line per field: name, value form, default value and meaning.
std::string vfToolParamsHelp();
