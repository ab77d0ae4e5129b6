// The report as a browser draws it: headless Chromium renders the report page of a
// real-font arrange, and its screenshot must show the case's image with the matched
// cells' green outlines over the characters.
#include "octool_runner.h"
#include "vxDiagReportHtml.h"
#include "vxGreyPng.h"
#include "vxImageFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>

#if OC_HAVE_PNG
#include <png.h>

namespace {

const std::filesystem::path kRealFont = OC_REALFONT_DIR;
const char* const kCase = "cases/libmono-arc-2.pgm";

struct Screenshot {
    long width = 0, height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* at(long x, long y) const { return &rgb[std::size_t(3 * (y * width + x))]; }
    bool greenish(long x, long y) const {
        const unsigned char* p = at(x, y);
        return p[1] > p[0] + 60 && p[1] > p[2] + 60;
    }
};

Screenshot readScreenshot(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Screenshot shot;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return shot;
    png.format = PNG_FORMAT_RGB;
    shot.rgb.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, shot.rgb.data(), 0, nullptr))
        shot.width = long(png.width), shot.height = long(png.height);
    return shot;
}

// The insides (x, y, width, height) of the image frames on the screenshot: rectangles
// outlined one pixel wide in the frame colour.
std::vector<std::array<long, 4>> framesOn(const Screenshot& shot) {
    const long colour = std::strtol(kDiagReportFrameColour + 1, nullptr, 16);
    const auto isFrame = [&](long x, long y) {
        const unsigned char* p = shot.at(x, y);
        return std::abs(p[0] - (colour >> 16)) <= 2 && std::abs(p[1] - (colour >> 8 & 255)) <= 2 &&
               std::abs(p[2] - (colour & 255)) <= 2;
    };
    std::vector<std::array<long, 4>> frames;
    for (long y = 1; y < shot.height; ++y)
        for (long x = 1; x < shot.width; ++x) {
            if (!isFrame(x, y) || isFrame(x - 1, y) || isFrame(x, y - 1)) continue;
            long right = x, bottom = y;
            while (right + 1 < shot.width && isFrame(right + 1, y)) ++right;
            while (bottom + 1 < shot.height && isFrame(x, bottom + 1)) ++bottom;
            if (right - x > 50 && bottom - y > 50)
                frames.push_back({x + 1, y + 1, right - x - 1, bottom - y - 1});
        }
    return frames;
}

TEST(ReportInBrowser, MatchedCellsAreOutlinedGreenOverTheCharacters) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) {
        const char* const why = "no browser to draw the report: `chromium` is not on PATH "
                                "(Debian: apt-get install chromium)";
        if (std::getenv("OC_REQUIRE_BROWSER")) FAIL() << why << ", and OC_REQUIRE_BROWSER is set";
        GTEST_SKIP() << why;
    }
    if (!std::filesystem::exists(kRealFont / "truth.json"))
        GTEST_SKIP() << "no real-font data at " << kRealFont;
    std::stringstream truthText;
    truthText << std::ifstream(kRealFont / "truth.json").rdbuf();
    const Json truthAll = parseJson(truthText.str());
    const Json& truth = *std::find_if(truthAll.items().begin(), truthAll.items().end(),
                                      [](const Json& c) { return c["image"].str() == kCase; });

    OctoolSandbox box;
    const OctoolRun teach =
        box.run({"teach", "--out", "lib.oca", (kRealFont / "teach/libmono/manifest.txt").string()});
    ASSERT_EQ(teach.exitCode, 0) << teach.err;
    std::vector<std::string> args = {"arrange", "--alphabet", "lib.oca", "--image",
                                     (kRealFont / kCase).string(), "--target", truth["target"].str(),
                                     "--set", "timeout=100000", "--report", "report.html"};
    for (const auto& [name, value] : truth["params"].members())
        args.insert(args.end(), {"--set", name + "=" + value.str()});
    const OctoolRun arrange = box.run(args);
    ASSERT_EQ(arrange.exitCode, 0) << arrange.err;

    // The page shows the record that draws the cells (#N: record N unfolded).
    const std::string html = box.read("report.html");
    const std::size_t title = html.find(">Build arrangement</summary>");
    ASSERT_NE(title, std::string::npos);
    const std::size_t id = html.rfind("id=\"r", title) + 5;
    const std::string url = "file://" + box.path("report.html") + "#" + html.substr(id, html.find('"', id) - id);
    const std::string command = "timeout 120 chromium --headless --disable-gpu --no-sandbox "
                                "--hide-scrollbars --window-size=1280,2000 --screenshot=" +
                                box.path("shot.png") + " '" + url + "' >" + box.path("browser.log") + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << box.read("browser.log");
    const Screenshot shot = readScreenshot(box.path("shot.png"));
    ASSERT_EQ(shot.width, 1280) << box.read("browser.log");

    long inked = 0;
    for (long i = 0; i < shot.width * shot.height; ++i)
        inked += shot.rgb[std::size_t(3 * i)] + shot.rgb[std::size_t(3 * i + 1)] + shot.rgb[std::size_t(3 * i + 2)] < 720;
    EXPECT_GT(inked, shot.width * shot.height / 10) << "the page is (nearly) blank";

    // Some frame shows the image (its grey pixels are the image's) with green within
    // each character's cell and hardly any elsewhere.
    const vxPelBuffer<unsigned char> image = vfReadImageFile((kRealFont / kCase).string());
    const std::vector<std::array<long, 4>> frames = framesOn(shot);
    bool shown = false;
    std::ostringstream seen;
    for (const auto& [fx, fy, fw, fh] : frames) {
        const double scale = double(fw) / double(image.width());
        double greyError = 0;
        long greySamples = 0, missed = 0, greenNear = 0, greenAway = 0;
        for (long y = fy; y < fy + fh; ++y)
            for (long x = fx; x < fx + fw; ++x) {
                const unsigned char* p = shot.at(x, y);
                const double ix = (x + 0.5 - fx) / scale, iy = (y + 0.5 - fy) / scale;
                if ((x + y) % 7 == 0 && p[0] == p[1] && p[1] == p[2])
                    greyError += std::abs(p[0] - *image.pointToPel(long(ix), long(iy))), ++greySamples;
                if (!shot.greenish(x, y)) continue;
                bool near = false;
                for (const Json& c : truth["positions"].items())
                    near |= std::max(std::abs(ix - c["x"].num()), std::abs(iy - c["y"].num())) < 50;
                ++(near ? greenNear : greenAway);
            }
        for (const Json& c : truth["positions"].items()) {
            long green = 0;
            for (long y = long(fy + (c["y"].num() - 45) * scale); y < fy + (c["y"].num() + 45) * scale; ++y)
                for (long x = long(fx + (c["x"].num() - 45) * scale); x < fx + (c["x"].num() + 45) * scale; ++x)
                    green += x >= fx && y >= fy && x < fx + fw && y < fy + fh && shot.greenish(x, y);
            missed += green < 20;
        }
        shown |= greySamples > 0 && greyError / greySamples < 12 && missed == 0 && greenAway * 20 < greenNear;
        seen << "\nframe at " << fx << "," << fy << " " << fw << "x" << fh << ": grey error "
                  << (greySamples ? greyError / greySamples : -1) << ", characters without green "
                  << missed << ", green pixels near them " << greenNear << ", away " << greenAway;
    }
    EXPECT_TRUE(shown) << frames.size() << " frames on the screenshot:" << seen.str();
}

} // namespace
#else
TEST(ReportInBrowser, MatchedCellsAreOutlinedGreenOverTheCharacters) {
    GTEST_SKIP() << "built without libpng: the report holds no images and screenshots cannot be read";
}
#endif
