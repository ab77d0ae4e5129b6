// Hostile archives, found by fuzzing or made by hand: each must end in an archive
// error that leaves the target as it was, or load into objects that work, and either
// way quickly. The files are in tests/data/hostile.
#include "oc_test_support.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxOCLine.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readData(const std::string& name) {
    std::ifstream in(std::string(OC_TEST_DATA_DIR) + "/hostile/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Far above what any of these needs (milliseconds), far below a walk that re-reads
// shared parts or a quadratic load.
constexpr double kSecondsAllowed = 5.0;

double secondsOf(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A load into a copy of `original` that must throw an archive error and change nothing.
template <class T> std::function<void(const Bytes&)> refusedInto(T original) {
    return [original](const Bytes& bytes) {
        T target = original;
        vxArchive in(bytes);
        EXPECT_THROW(in || target, vxArchive::Error);
        EXPECT_TRUE(target == original);
    };
}

// Loads an alphabet as the command-line tool does (the plain archive of the object,
// read from the file) and compiles it when it is not compiled.
vxOCAlphabet loadAndCompile(const Bytes& bytes) {
    vxOCAlphabet alphabet;
    vxArchive in(bytes);
    in || alphabet;
    if (!alphabet.isCompiled()) alphabet.compile();
    return alphabet;
}

} // namespace

TEST(HostileArchives, BrokenObjectsAreRefusedAndLeaveTheTargetAlone) {
    const auto model = oc_test::glyphModel('A', 20.0);
    const vxOCAlphabet alphabet({model}, 0.5, false, L"kept");
    const struct {
        const char* file;
        std::function<void(const Bytes&)> load;
    } cases[] = {
        {"model-normal-without-image.arc", refusedInto(vxPtrHandle<vxOCModel>())},
        {"model-blank-with-image.arc", refusedInto(*model)},
        {"model-area-outside-window.arc", refusedInto(*model)},
        // Also freed: the sanitizer build checks for the leak.
        {"model-transform-slot-holds-an-error.arc", refusedInto(*model)},
        {"alphabet-badwindow-escapes.arc", refusedInto(alphabet)},
        {"results-lengths-differ.arc", refusedInto(vxOCArrangeResults())},
        {"arrangement-compiles-on-load.arc", refusedInto(vxPtrHandle<vxOCLineArrangement>())},
        // The first 8 KB of an alphabet whose transform nests 20,000 composites: the load
        // stops at the nesting limit, long before the cut.
        {"deep20000-first8k.oca", refusedInto(alphabet)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = readData(c.file);
        EXPECT_LT(secondsOf([&] { c.load(bytes); }), kSecondsAllowed);
    }
}

TEST(HostileArchives, LegalButExtremeDataLoadsAndWorks) {
    // Transforms that share sub-transforms 26 and 60 levels deep: each shared part is
    // read once, and mapping does not walk the 2^60 paths.
    for (const char* file : {"dag26.oca", "dag60.oca"}) {
        SCOPED_TRACE(file);
        vxOCAlphabet a;
        EXPECT_LT(secondsOf([&] { a = loadAndCompile(readData(file)); }), kSecondsAllowed);
        EXPECT_TRUE(a.isCompiled());
        ASSERT_EQ(a.numChars(), 2);
        EXPECT_TRUE(a.characters()[0]->image().clientFromImage()->isLinear());
    }

    // A nearly singular client transform: the compilation cannot measure its pairs,
    // but finishes (without converting out-of-range positions to integers).
    vxOCAlphabet singular = loadAndCompile(readData("alphabet-near-singular-transform.arc"));
    EXPECT_TRUE(singular.isCompiled());

    // A scale range from a denormal: the setter takes it, so loading does too.
    vxOCArrangeParams params;
    vxArchive in(readData("params-scale-1e-309.arc"));
    in || params;
    EXPECT_GT(params.scaleRange().start(), 0.0);
    EXPECT_LT(params.scaleRange().start(), DBL_MIN);
    vxOCArrangeParams viaSetter = params;
    viaSetter.scaleRange(params.scaleRange());
    EXPECT_EQ(viaSetter, params);
}
