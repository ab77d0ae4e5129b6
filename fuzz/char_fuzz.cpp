// A character (key, polarity, images, threshold, image area, metrics, names) loaded from
// any bytes.
#include "fuzz_support.h"

#include "vxOCChar.h"

namespace {

vxOCChar sampleChar() {
    const vxPelBuffer_const<unsigned char> image = vfFuzzModel('1')->image();
    vxOCChar c;
    c.key(vxOCCharKey('1', 0, -1, 3));
    c.polarity(vxOCDefs::eDarkOnLight);
    c.image(image, vxPelRect());
    c.mask(image, vxPelRect());
    c.normalizedImage(image, vxPelRect());
    c.hasThresholdAndInvert(true);
    c.threshold(128);
    c.imageArea(image.window());
    vxOCCharMetrics m;
    m.cellRect(vxRect(-4, -6, 8, 12));
    m.isRectSpecified(vxOCCharMetrics::eCellRect, true);
    m.advance(vxVector<2>(9, 0));
    m.isAdvanceSpecified(true);
    c.metrics(m);
    c.name(L"one");
    c.description(L"the digit one");
    c.binarizedImage(false); // fills the cache, so it is archived too
    return c;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv, {vfFuzzStore(sampleChar()), vfFuzzStore(vxOCChar())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCChar sample = sampleChar();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
