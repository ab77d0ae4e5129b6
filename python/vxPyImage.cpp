// NumPy images in and out of pel buffers.
#include "vxPyImage.h"

#include <cstring>

namespace py = pybind11;

vxPelBuffer<unsigned char> vfPyToImage(const py::handle& object, const std::string& what) {
    if (!py::isinstance<py::array>(object))
        throw py::type_error(what + " must be a NumPy array of uint8, not " +
                             std::string(py::str(py::type::of(object).attr("__name__"))));
    const auto array = py::reinterpret_borrow<py::array>(object);
    // kind and size rather than identity: a uint8 dtype need not be numpy's own object.
    if (array.dtype().kind() != 'u' || array.itemsize() != 1)
        throw py::type_error(what + " must have dtype uint8, not " +
                             std::string(py::str(array.dtype())));
    if (array.ndim() != 2)
        throw py::value_error(what + " must be 2-D (height, width), not of shape " +
                              std::string(py::str(object.attr("shape"))));
    const long height = static_cast<long>(array.shape(0));
    const long width = static_cast<long>(array.shape(1));
    if (width == 0 || height == 0)
        throw py::value_error(what + " is empty (shape " + std::to_string(height) + ", " +
                              std::to_string(width) + ")");
    vxPelBuffer<unsigned char> image(width, height);
    const auto* data = static_cast<const unsigned char*>(array.data());
    const py::ssize_t rowStride = array.strides(0), step = array.strides(1);
    for (long y = 0; y < height; ++y) {
        const unsigned char* in = data + y * rowStride;
        unsigned char* out = image.pointToPel(0, y);
        if (step == 1) {
            std::memcpy(out, in, static_cast<std::size_t>(width));
        } else {
            for (long x = 0; x < width; ++x)
                out[x] = in[x * step];
        }
    }
    return image;
}

py::array_t<unsigned char> vfPyFromImage(const vxPelBuffer_const<unsigned char>& image) {
    const vxPelRect& w = image.window();
    py::array_t<unsigned char> array({static_cast<py::ssize_t>(w.height()),
                                      static_cast<py::ssize_t>(w.width())});
    unsigned char* out = array.mutable_data();
    for (long y = 0; y < w.height(); ++y)
        std::memcpy(out + y * w.width(), image.pointToPel(w.x(), w.y() + y),
                    static_cast<std::size_t>(w.width()));
    return array;
}
