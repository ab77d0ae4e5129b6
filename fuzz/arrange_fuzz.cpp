// Arranging the small fixed image "012" with an alphabet and parameters loaded from
// any bytes (the archive of an alphabet, then of the parameters). The time per
// character and the arrangement search are bounded, and only small alphabets are
// compiled, so that every input runs in milliseconds. Loading must fail with
// vxArchive::Error or succeed; arranging must succeed or throw one of the module's
// exceptions other than an assertion failure, and the results must store and reload
// equal.
#include "fuzz_support.h"

#include "vxOCArrange.h"

namespace {

vxFuzzBytes storeBoth(const vxOCAlphabet& alphabet, const vxOCArrangeParams& params) {
    vxOCAlphabet a(alphabet);
    vxOCArrangeParams p(params);
    vxArchive out;
    out || a;
    out || p;
    return out.bytes();
}

// Few characters of few pixels: compiling them takes milliseconds.
bool isSmall(const vxOCAlphabet& alphabet) {
    if (alphabet.numChars() > 4) return false;
    for (const auto& model : alphabet.characters())
        if (model->image().isBound() &&
            model->image().window().width() * model->image().window().height() > 1024)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vxOCArrangeParams twoLines;
    twoLines.maxLines(2);
    twoLines.timeout(20.0);
    vxOCArrangeParams circular;
    circular.lineType(vxOCArrangeDefs::eCircular);
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {storeBoth(vfFuzzAlphabet(true), vfFuzzParams()),
                             storeBoth(vfFuzzAlphabet(true), twoLines),
                             storeBoth(vfFuzzAlphabet(false), circular)});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vxOCAlphabet alphabet;
    vxOCArrangeParams params;
    try {
        vxArchive in(vxFuzzBytes(data, data + size));
        in || alphabet;
        in || params;
    } catch (const vxArchive::Error&) {
        return 0;
    }
    if (!isSmall(alphabet)) return 0;
    // At most 5 ms per character and a short arrangement search.
    if (!(params.timeout() <= 5.0)) params.timeout(5.0);
    if (params.maxCandidates() > 2000) params.maxCandidates(2000);

    std::vector<long> target;
    for (const auto& model : alphabet.characters())
        if (target.size() < 3) target.push_back(model->key());
    vxOCArrangeResults results;
    try {
        if (!alphabet.isCompiled()) alphabet.compile();
        vfOCArrange(vfFuzzImage(), alphabet, target, params, results);
    } catch (const vxAssertionFailure&) {
        throw; // a broken invariant is a finding
    } catch (const vxException&) {
        return 0;
    }
    const vxFuzzBytes stored = vfFuzzStore(results);
    vfFuzzCheckLoad(stored.data(), stored.size(), results);
    return 0;
}
