// NumPy images for the Python module: 2-D uint8 arrays in and out of pel buffers.
#pragma once

#include "vxPelBuffer.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

// A packed copy of `object`, a 2-D uint8 NumPy array of any strides (rows are y,
// columns x), with the window (0, 0, width, height). Throws TypeError for anything but
// a NumPy array of dtype uint8, ValueError for another number of dimensions or an empty
// array; `what` names the argument. Needs the GIL.
vxPelBuffer<unsigned char> vfPyToImage(const pybind11::handle& object, const std::string& what);

// The window of `image` as a new (height, width) uint8 array. Needs the GIL.
pybind11::array_t<unsigned char> vfPyFromImage(const vxPelBuffer_const<unsigned char>& image);
