// octool end to end: a sample sheet rendered by the tool is taught and compiled, then
// rendered stamps are arranged with --json and the positions compared with the
// rendering's ground truth; the real-font manifests and cases are used as they are.
#include "octool_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Every arrange run lifts the per-character time limit, so results do not depend on
// the machine's load (or a sanitizer's slowness).
const char* const kNoTimeLimit = "timeout=100000";

double distance(double x0, double y0, double x1, double y1) {
    return std::hypot(x1 - x0, y1 - y0);
}

class OctoolPipeline : public ::testing::Test {
protected:
    // One alphabet of the digits for the whole suite: teaching is the slow part.
    static void SetUpTestSuite() {
        box_ = new OctoolSandbox;
        const OctoolRun sheet = box_->run({"render", "--out", "sheet.pgm", "--sheet", "0123456789",
                                           "--manifest", "manifest.txt", "--size", "32"});
        ASSERT_EQ(sheet.exitCode, 0) << sheet.err;
        const OctoolRun teach = box_->run({"teach", "--out", "digits.oca", "manifest.txt"});
        ASSERT_EQ(teach.exitCode, 0) << teach.err;
    }
    static void TearDownTestSuite() {
        delete box_;
        box_ = nullptr;
    }

    // Renders a stamp (with its truth), arranges its whole target and returns both.
    static std::pair<Json, Json> renderAndArrange(const std::vector<std::string>& renderArgs,
                                                  const std::vector<std::string>& sets = {}) {
        std::vector<std::string> render = {"render", "--out", "stamp.pgm", "--truth", "truth.json",
                                           "--size", "32",    "--advance", "29"};
        render.insert(render.end(), renderArgs.begin(), renderArgs.end());
        const OctoolRun rendered = box_->run(render);
        EXPECT_EQ(rendered.exitCode, 0) << rendered.err;
        const Json truth = parseJson(box_->read("truth.json"));

        std::vector<std::string> arrange = {
            "arrange",  "--alphabet",          "digits.oca", "--image", "stamp.pgm",
            "--target", truth["target"].str(), "--json",     "--set",   kNoTimeLimit};
        for (const std::string& s : sets) {
            arrange.push_back("--set");
            arrange.push_back(s);
        }
        const OctoolRun run = box_->run(arrange);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return {truth, parseJson(run.out)};
    }

    // Every printed character matched with its cell centre within `tolerance` pixels
    // of where it was printed; every unprinted one not matched.
    static void expectOnTruth(const Json& truth, const Json& found, double tolerance) {
        const auto& expected = truth["positions"].items();
        const auto& positions = found["positions"].items();
        ASSERT_EQ(positions.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const Json& p = positions[i];
            EXPECT_EQ(p["index"].num(), static_cast<double>(i));
            EXPECT_EQ(p["name"].str(), expected[i]["name"].str());
            if (!expected[i]["printed"].flag()) {
                EXPECT_NE(p["status"].str(), "matched") << "position " << i;
                continue;
            }
            EXPECT_EQ(p["status"].str(), "matched") << "position " << i;
            EXPECT_LT(distance(p["cellCenter"][0].num(), p["cellCenter"][1].num(),
                               expected[i]["x"].num(), expected[i]["y"].num()),
                      tolerance)
                << "position " << i;
            // Models are taught with their origin at the cell centre.
            EXPECT_LT(distance(p["x"].num(), p["y"].num(), p["cellCenter"][0].num(),
                               p["cellCenter"][1].num()),
                      1e-6);
            const double turn =
                std::remainder(p["angleDeg"].num() - expected[i]["angleDeg"].num(), 360.0);
            EXPECT_LT(std::abs(turn), 3.0) << "position " << i;
        }
    }

    static std::vector<std::string> kinds(const Json& found) {
        std::vector<std::string> out;
        for (const Json& line : found["lines"].items())
            out.push_back(line["kind"].str());
        return out;
    }

    static OctoolSandbox* box_;
};

OctoolSandbox* OctoolPipeline::box_ = nullptr;

TEST_F(OctoolPipeline, CompileReportsTheTaughtAlphabet) {
    const OctoolRun run = box_->run({"compile", "digits.oca", "--matrix"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("10 characters"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("confusable pairs"), std::string::npos) << run.out;
}

TEST_F(OctoolPipeline, TurnedStampIsFoundWhereItWasPrinted) {
    const auto [truth, found] =
        renderAndArrange({"--text", "2026", "--angle", "23", "--scale", "1.05"});
    EXPECT_TRUE(found["isFound"].flag());
    expectOnTruth(truth, found, 1.5);
    EXPECT_EQ(kinds(found), std::vector<std::string>{"straight"});
}

TEST_F(OctoolPipeline, TwoLinesAndAMissingCharacter) {
    // The second line's second character is not printed.
    const auto [truth, found] = renderAndArrange(
        {"--text", "0612", "--text", "2026", "--angle", "-8", "--omit", "5"}, {"maxLines=2"});
    expectOnTruth(truth, found, 1.5);
    ASSERT_EQ(found["lines"].items().size(), 2u);
    EXPECT_EQ(found["lines"][1]["positions"].items().size(), 4u);
    EXPECT_EQ(found["positions"][5]["status"].str(), "inferred");
    EXPECT_EQ(found["positions"][5]["line"].num(), 1.0);
}

TEST_F(OctoolPipeline, MaskKeepsTheSearchOutOfItsDarkHalf) {
    // The left half of the mask is 0: the first two characters lie there.
    std::string mask = "P5\n640 480\n255\n";
    for (int y = 0; y < 480; ++y)
        mask += std::string(320, '\0') + std::string(320, '\xff');
    box_->write("half.pgm", mask);
    ASSERT_EQ(box_->run({"render", "--out", "stamp.pgm", "--truth", "truth.json", "--text", "2026",
                         "--size", "32", "--advance", "29"})
                  .exitCode,
              0);
    const OctoolRun run =
        box_->run({"arrange", "--alphabet", "digits.oca", "--image", "stamp.pgm", "--target",
                   "2026", "--mask", "half.pgm", "--json", "--set", kNoTimeLimit});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json truth = parseJson(box_->read("truth.json"));
    const Json found = parseJson(run.out);
    for (std::size_t i = 0; i < 4; ++i) {
        const Json& p = found["positions"][i];
        const Json& t = truth["positions"][i];
        const bool inCare = t["x"].num() > 320;
        if (p["status"].str() == "matched") {
            EXPECT_GT(p["cellCenter"][0].num(), 320.0) << "position " << i;
        }
        EXPECT_EQ(p["status"].str() == "matched" &&
                      distance(p["cellCenter"][0].num(), p["cellCenter"][1].num(), t["x"].num(),
                               t["y"].num()) < 1.5,
                  inCare)
            << "position " << i;
    }
}

TEST_F(OctoolPipeline, CircularStampIsOneCircularLineAndGetsAnOverlay) {
    const auto [truth, found] = renderAndArrange({"--text", "0123456789", "--arc", "120"});
    expectOnTruth(truth, found, 2.0);
    EXPECT_EQ(kinds(found), std::vector<std::string>{"circular"});

    const OctoolRun table =
        box_->run({"arrange", "--alphabet", "digits.oca", "--image", "stamp.pgm", "--target",
                   "0123456789", "--set", kNoTimeLimit, "--overlay", "overlay.ppm"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("circular"), std::string::npos) << table.out;
    EXPECT_EQ(box_->read("overlay.ppm").substr(0, 2), "P6");
}

// A correct print passes; a wrong character fails with its own line, exit status 3, a
// JSON verdict and a red cell in the overlay; a bad verification setting is an error.
TEST_F(OctoolPipeline, VerifyPassesThePrintAndFailsAWrongCharacter) {
    renderAndArrange({"--text", "2026", "--angle", "-12"});
    const auto verify = [](const std::string& target, std::vector<std::string> more) {
        std::vector<std::string> args = {"verify",   "--alphabet", "digits.oca", "--image",
                                         "stamp.pgm", "--target",  target,       "--set",
                                         kNoTimeLimit};
        args.insert(args.end(), more.begin(), more.end());
        return box_->run(args);
    };
    const OctoolRun pass = verify("2026", {"--set", "margin=0.01"});
    EXPECT_EQ(pass.exitCode, 0) << pass.err;
    EXPECT_EQ(pass.out, "PASS\n");

    const OctoolRun fail = verify("2826", {"--overlay", "failed.ppm"});
    EXPECT_EQ(fail.exitCode, 3) << fail.err;
    EXPECT_EQ(fail.out.rfind("FAIL\nposition 1: expected '8', ", 0), 0u) << fail.out;
    EXPECT_EQ(std::count(fail.out.begin(), fail.out.end(), '\n'), 2) << fail.out;
    const std::string ppm = box_->read("failed.ppm");
    long red = 0;
    // Pixel data is whole triples, so the header is as long as the file modulo 3.
    for (std::size_t i = ppm.size() % 3; i + 2 < ppm.size(); i += 3)
        red += static_cast<unsigned char>(ppm[i]) > 200 && static_cast<unsigned char>(ppm[i + 1]) < 60;
    EXPECT_GT(red, 20);

    const Json json = parseJson(verify("2826", {"--json"}).out);
    EXPECT_FALSE(json["pass"].flag());
    ASSERT_EQ(json["positions"].items().size(), 4u);
    EXPECT_EQ(json["positions"][0]["verdict"].str(), "pass");
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(json["positions"][0]["readsAs"].value));
    EXPECT_NE(json["positions"][1]["verdict"].str(), "pass");
    EXPECT_EQ(json["positions"][3]["status"].str(), "matched");

    const OctoolRun bad = verify("2026", {"--set", "margin=2"});
    EXPECT_TRUE(bad.failedCleanly());
    EXPECT_NE(bad.err.find("--set margin: Invalid margin"), std::string::npos) << bad.err;
}

TEST_F(OctoolPipeline, VerifyBatchReportsEveryImageInPathOrder) {
    const auto render = [](const std::string& out, const std::string& text) {
        return box_->run({"render", "--out", out, "--text", text, "--size", "32", "--advance", "29",
                          "--width", "200", "--height", "80"});
    };
    std::filesystem::create_directories(box_->dir() / "batch");
    std::filesystem::create_directories(box_->dir() / "many");
    ASSERT_EQ(render("batch/c-pass.pgm", "2026").exitCode, 0);
    ASSERT_EQ(render("batch/a-wrong.pgm", "2826").exitCode, 0);
    ASSERT_EQ(render("batch/d-pass.pgm", "2026").exitCode, 0);
    box_->write("batch/b-bad.pgm", "P5\n40 40\n255\ncut short");
    const auto verify = [](std::vector<std::string> more) {
        std::vector<std::string> args = {"verify", "--alphabet", "digits.oca", "--target", "2026",
                                         "--set", kNoTimeLimit};
        args.insert(args.end(), more.begin(), more.end());
        return box_->run(args);
    };

    // The bad image gets its line and the batch goes on; the threads do not change a byte.
    const OctoolRun one = verify({"--images", "batch/*-pass.pgm", "batch/[ab]*", "--jobs", "1"});
    const OctoolRun two = verify({"--images", "batch/*-pass.pgm", "batch/[ab]*", "--jobs", "2"});
    EXPECT_EQ(one.exitCode, 1) << one.err;
    EXPECT_EQ(two.out, one.out);
    std::istringstream lines(one.out);
    std::vector<std::string> starts;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t end = line.find(".pgm");
        starts.push_back(end == std::string::npos ? line : line.substr(0, end + 4));
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"FAIL  batch/a-wrong.pgm", "ERROR batch/b-bad.pgm",
                                                "PASS  batch/c-pass.pgm", "PASS  batch/d-pass.pgm",
                                                "4 images: 2 passed, 1 failed, 1 not verified"}))
        << one.out;
    EXPECT_NE(one.out.find("a-wrong.pgm  positions 1 (expected '0', reads as '8'"), std::string::npos)
        << one.out;
    EXPECT_NE(one.out.find("truncated"), std::string::npos) << one.out;

    // JSON Lines: one object per image, each parsing on its own.
    const OctoolRun json = verify({"--images", "batch/[acd]*.pgm", "--jobs", "2", "--json"});
    EXPECT_EQ(json.exitCode, 3) << json.err;
    std::istringstream objects(json.out);
    std::vector<Json> parsed;
    for (std::string line; std::getline(objects, line);)
        parsed.push_back(parseJson(line));
    ASSERT_EQ(parsed.size(), 3u) << json.out;
    EXPECT_EQ(parsed[0]["image"].str(), "batch/a-wrong.pgm");
    EXPECT_FALSE(parsed[0]["pass"].flag());
    EXPECT_EQ(parsed[0]["positions"][1]["readsAs"].str(), "8");
    EXPECT_TRUE(parsed[1]["pass"].flag() && parsed[2]["pass"].flag());
    EXPECT_EQ(verify({"--images", "batch/*-pass.pgm"}).exitCode, 0);

    // Ctrl-C: what was verified is printed, in order, and the status says so. The
    // signal comes from the shell that then becomes the tool.
    for (int k = 0; k < 400; ++k)
        std::filesystem::copy_file(box_->path("batch/c-pass.pgm"),
                                   box_->path("many/" + std::to_string(1000 + k) + ".pgm"));
    const OctoolRun stopped =
        box_->run({"verify", "--alphabet", "digits.oca", "--target", "2026", "--images",
                   "many/*.pgm", "--jobs", "2", "--set", kNoTimeLimit},
                  "{ (sleep 1; kill -INT $$) & } ; exec ");
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err;
    EXPECT_NE(stopped.err.find("interrupted after"), std::string::npos) << stopped.err;
    const std::size_t printed = std::count(stopped.out.begin(), stopped.out.end(), '\n');
    EXPECT_GT(printed, 1u);
    EXPECT_LT(printed, 400u);
    EXPECT_EQ(stopped.out.rfind("PASS  many/1000.pgm\nPASS  many/1001.pgm\n", 0), 0u);
}

TEST_F(OctoolPipeline, HandWrittenManifestWithWholeImagesMasksAndBlanks) {
    // A character alone in its own image (the whole image is its area), one from the
    // sheet with a care mask written as ASCII PGM, and a blank.
    ASSERT_EQ(box_->run({"render", "--out", "five.pgm", "--text", "5", "--width", "40", "--height",
                         "60", "--size", "32"})
                  .exitCode,
              0);
    const std::string manifest = box_->read("manifest.txt");
    const std::size_t one = manifest.find("\n49 1 ");
    ASSERT_NE(one, std::string::npos);
    const std::string rect = manifest.substr(one + 6, manifest.find('\n', one + 1) - one - 6);
    // rect is "sheet.pgm X Y W H"; the mask covers the whole sheet.
    long width = 0, height = 0;
    ASSERT_EQ(std::sscanf(box_->read("sheet.pgm").c_str(), "P5 %ld %ld", &width, &height), 2);
    std::string mask =
        "P2\n# all care\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (long i = 0; i < width * height; ++i)
        mask += "255\n";
    box_->write("mask.pgm", mask);
    box_->write("hand.txt", "# by hand\n53 5 five.pgm\n\n49 1 " + rect + " mask=mask.pgm\n" +
                                "32 gap " + rect + " blank\n");
    const OctoolRun teach = box_->run({"teach", "--out", "hand.oca", "hand.txt"});
    ASSERT_EQ(teach.exitCode, 0) << teach.err;
    EXPECT_NE(teach.out.find("taught 3 characters"), std::string::npos) << teach.out;

    ASSERT_EQ(box_->run({"render", "--out", "stamp.pgm", "--truth", "truth.json", "--text", "515",
                         "--size", "32", "--advance", "29"})
                  .exitCode,
              0);
    const OctoolRun run = box_->run({"arrange", "--alphabet", "hand.oca", "--image", "stamp.pgm",
                                     "--target", "515", "--json", "--set", kNoTimeLimit});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectOnTruth(parseJson(box_->read("truth.json")), parseJson(run.out), 1.5);
}

// ---- The real-font data, used as it is ----

const std::filesystem::path kRealFont = OC_REALFONT_DIR;

TEST(OctoolRealFont, ManifestsTeachAsTheyAreAndCellCentresMatchTheTruth) {
    if (!std::filesystem::exists(kRealFont / "truth.json"))
        GTEST_SKIP() << "no real-font data at " << kRealFont;
    OctoolSandbox box;
    const OctoolRun free = box.run({"teach", "--out", "free.oca", "--no-compile",
                                    (kRealFont / "teach/freemono/manifest.txt").string()});
    ASSERT_EQ(free.exitCode, 0) << free.err;
    EXPECT_NE(free.out.find("taught 38 characters"), std::string::npos) << free.out;
    const OctoolRun lib =
        box.run({"teach", "--out", "lib.oca", (kRealFont / "teach/libmono/manifest.txt").string()});
    ASSERT_EQ(lib.exitCode, 0) << lib.err;

    std::ifstream truthFile(kRealFont / "truth.json");
    std::stringstream truthText;
    truthText << truthFile.rdbuf();
    const Json all = parseJson(truthText.str());
    // A straight line, an arc and two lines, every character present.
    const std::vector<std::string> chosen = {
        "cases/libmono-straight-2.pgm", "cases/libmono-arc-2.pgm", "cases/libmono-twolines-1.pgm"};
    int checked = 0;
    for (const Json& c : all.items()) {
        if (std::find(chosen.begin(), chosen.end(), c["image"].str()) == chosen.end()) continue;
        std::vector<std::string> args = {"arrange",
                                         "--alphabet",
                                         "lib.oca",
                                         "--image",
                                         (kRealFont / c["image"].str()).string(),
                                         "--target",
                                         c["target"].str(),
                                         "--json",
                                         "--set",
                                         kNoTimeLimit};
        for (const auto& [name, value] : c["params"].members()) {
            args.push_back("--set");
            args.push_back(name + "=" + value.str());
        }
        const OctoolRun run = box.run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Json found = parseJson(run.out);
        const auto& expected = c["positions"].items();
        ASSERT_EQ(found["positions"].items().size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const Json& p = found["positions"][i];
            EXPECT_EQ(p["status"].str(), "matched") << c["image"].str() << " position " << i;
            EXPECT_LT(distance(p["cellCenter"][0].num(), p["cellCenter"][1].num(),
                               expected[i]["x"].num(), expected[i]["y"].num()),
                      2.0)
                << c["image"].str() << " position " << i;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

} // namespace
