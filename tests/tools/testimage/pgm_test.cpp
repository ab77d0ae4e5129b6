#include "vxPelOps.h"
#include "vxPgm.h"
#include "vxTestImageDefs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TEST(TestImagePgm, RoundTripWritesTheWindowOnly) {
    vxPelBuffer<unsigned char> image(vxPelRect(-3, 2, 7, 5));
    for (long y = 2; y < 7; ++y)
        for (long x = -3; x < 4; ++x)
            *image.pointToPel(x, y) = static_cast<unsigned char>(x * 31 + y * 7 + 100);
    image.window(vxPelRect(-2, 3, 4, 3), false);
    std::stringstream s;
    vfWritePgm(s, image);
    const vxPelBuffer<unsigned char> back = vfReadPgm(s);
    EXPECT_EQ(back.window(), vxPelRect(0, 0, 4, 3));
    EXPECT_TRUE(vfPelEqual(back, image));
}

TEST(TestImagePgm, HeaderCommentsAreSkippedAndBadFilesThrow) {
    std::stringstream ok("P5 # a comment\n2 # another\n1\n255\n\x01\x02");
    const auto img = vfReadPgm(ok);
    EXPECT_EQ(*img.pointToPel(1, 0), 2);

    using BadFormat = vxTestImageDefs::BadFormat;
    for (const char* bad :
         {"P2\n2 1\n255\n12", "P5\n2 1\n255\n\x01", "P5\n2 1\n65535\n\x01\x02\x03\x04",
          "P5\n0 1\n255\n", "P5\n99999 99999\n255\n\x01", "P5\n2 x\n255\n", ""}) {
        std::stringstream s(bad);
        EXPECT_THROW(vfReadPgm(s), BadFormat) << bad;
    }
    EXPECT_THROW(vfReadPgm("/nonexistent/none.pgm"), vxTestImageDefs::IoError);
    std::stringstream out;
    EXPECT_THROW(vfWritePgm(out, vxPelBuffer<unsigned char>()), vxPel::UnboundWindow);
}
