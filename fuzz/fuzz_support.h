// What the fuzz targets share: small sample objects of the module's classes, the
// load checks every archive target makes, and the writing of seed corpora.
#pragma once

#include "vxArchive.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxOCKeySet.h"
#include "vxOCLine.h"
#include "vxOCModel.h"
#include "vxPelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using vxFuzzBytes = std::vector<unsigned char>;

// Prints "fuzz: <what>" to stderr and aborts, so libFuzzer records the input.
[[noreturn]] void vfFuzzFail(const std::string& what);

// The archive of a copy of `object` (archiving takes a non-const object).
template <class T> vxFuzzBytes vfFuzzStore(const T& object) {
    T copy(object);
    vxArchive out;
    out || copy;
    return out.bytes();
}

// When the arguments hold --write-seeds=DIR, writes each seed to DIR/seed-N and exits;
// otherwise does nothing. Called from LLVMFuzzerInitialize (libFuzzer ignores options
// that start with "--").
void vfFuzzWriteSeedsIfAsked(int argc, char** argv, const std::vector<vxFuzzBytes>& seeds);

// Samples: three stroke-font digits 0, 1, 2 (keys 48..50, names "0".."2") rendered 12
// pixels high, their alphabet (compiled or not), key sets and lines over it, an
// arrangement of two lines, parameters with every field off its default, and the
// results of arranging the sample image "012".
vxPtrHandle_const<vxOCModel> vfFuzzModel(char digit);
vxOCAlphabet vfFuzzAlphabet(bool compiled);
vxOCKeySet vfFuzzKeySet();
vxOCLine vfFuzzLine();
vxOCLineArrangement vfFuzzArrangement();
vxOCArrangeParams vfFuzzParams();
// A 64 x 32 image of "012" (the same image every call).
const vxPelBuffer<unsigned char>& vfFuzzImage();
vxOCArrangeResults vfFuzzResults();

// Loads `data` into a copy of `sample` as one archive operation. A load that fails
// with vxArchive::Error must leave the copy's archive as it was; a load that succeeds
// must store an archive that loads again into an object equal to it, storing the same
// bytes. Any other exception escapes, which libFuzzer reports. `Equal(a, b)` compares
// two objects.
template <class T, class Equal>
void vfFuzzCheckLoad(const std::uint8_t* data, std::size_t size, const T& sample, Equal equal) {
    T target(sample);
    const vxFuzzBytes before = vfFuzzStore(target);
    try {
        vxArchive in(vxFuzzBytes(data, data + size));
        in || target;
    } catch (const vxArchive::Error&) {
        if (vfFuzzStore(target) != before) vfFuzzFail("a failed load changed its target");
        return;
    }
    const vxFuzzBytes stored = vfFuzzStore(target);
    T again(sample);
    try {
        vxArchive in(stored);
        in || again;
    } catch (const vxArchive::Error& e) {
        vfFuzzFail(std::string("a stored object does not load again: ") + e.what());
    }
    // An object holding NaN is not equal to itself; its archive still has to match.
    if (equal(target, target) && !equal(again, target))
        vfFuzzFail("a stored object reloads different");
    if (vfFuzzStore(again) != stored) vfFuzzFail("a reloaded object stores other bytes");
}

template <class T>
void vfFuzzCheckLoad(const std::uint8_t* data, std::size_t size, const T& sample) {
    vfFuzzCheckLoad(data, size, sample, [](const T& a, const T& b) { return a == b; });
}
