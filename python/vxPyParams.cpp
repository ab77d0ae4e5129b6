// Python keyword parameters to arrange and verification parameters, through octool's
// parameter table, so that both take the same names and values.
#include "vxPyParams.h"

#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolParams.h"

namespace py = pybind11;

namespace {

// The value as octool's text: booleans true/false, numbers exactly (Python's repr
// round-trips), pairs as START:END.
std::string valueText(const py::handle& value, const std::string& name, bool inPair = false) {
    if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? "true" : "false";
    if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value))
        return py::repr(value);
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (!inPair && (py::isinstance<py::tuple>(value) || py::isinstance<py::list>(value)) &&
        py::len(value) == 2) {
        const auto pair = py::reinterpret_borrow<py::sequence>(value);
        return valueText(pair[0], name, true) + ":" + valueText(pair[1], name, true);
    }
    throw py::type_error(name + " takes a bool, a number, a str or a (start, end) pair, not " +
                         std::string(py::str(py::type::of(value).attr("__name__"))));
}

} // namespace

void vfPySetParams(const py::dict& params, const char* function, vxOCArrangeParams& arrangeParams,
                   vxOCVerifyParams* verifyParams) {
    for (const auto& [key, value] : params) {
        const std::string name = py::str(key);
        const std::string text = valueText(value, name);
        const std::string what = name + "=" + text;
        try {
            if (verifyParams && vfToolIsVerifyParam(name)) {
                vfToolSetVerifyParam(*verifyParams, name, text, what);
            } else if (!vfToolSetParam(arrangeParams, name, text, what)) {
                throw py::type_error(std::string(function) +
                                     "() got an unexpected keyword argument '" + name + "'");
            }
        } catch (const vxToolError& e) {
            throw vxPyParamError(e.what());
        }
    }
}
