// octool on bad input: every fault ends the run with a non-zero exit code and one
// "octool: ..." line on stderr that names the fault, never a crash; and the help texts.
#include "octool_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

struct BadCase {
    const char* what;
    std::vector<std::string> args;
    const char* message; // a part of the expected error line
};

class OctoolErrors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = new OctoolSandbox;
        ASSERT_TRUE(box_->teachSmallSheet("a.oca", false));
        const std::string alphabet = box_->read("a.oca");
        const std::string image = box_->read("sheet.pgm");
        box_->write("cut.oca", alphabet.substr(0, alphabet.size() / 2));
        box_->write("text.oca", "this is not an alphabet\n");
        box_->write("cut.pgm", image.substr(0, image.size() - 100));
        box_->write("text.pgm", "hello\n");
        box_->write("wide.pgm", std::string("P5 2 2 65535\n") + std::string(8, '\x10'));
        box_->write("small.pgm", std::string("P5 2 2 255\n") + std::string(4, '\xff'));
        box_->write("short-line.txt", "48 0 sheet.pgm 1 2 3\n");
        box_->write("bad-key.txt", "zero 0 sheet.pgm\n");
        box_->write("extra.txt", "48 0 sheet.pgm blank bold\n");
        box_->write("same-key.txt", "48 0 sheet.pgm 0 0 10 10\n48 1 sheet.pgm 10 0 10 10\n");
        box_->write("same-name.txt", "48 0 sheet.pgm 0 0 10 10\n49 0 sheet.pgm 10 0 10 10\n");
        box_->write("outside.txt", "48 0 sheet.pgm 0 0 10000 10\n");
        box_->write("no-image.txt", "48 0 nothere.pgm\n");
        box_->write("bad-mask.txt", "48 0 sheet.pgm mask=small.pgm\n");
        box_->write("empty.txt", "# nothing\n\n");
        box_->write("wide.txt", "48 0 wide.pgm\n");
    }
    static void TearDownTestSuite() {
        delete box_;
        box_ = nullptr;
    }
    // An arrange command line: the good alphabet, image and target unless `extra`
    // gives its own.
    static std::vector<std::string> arrange(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"arrange"};
        const std::vector<std::pair<std::string, std::string>> defaults = {
            {"--alphabet", "a.oca"}, {"--image", "sheet.pgm"}, {"--target", "012"}};
        for (const auto& [option, value] : defaults)
            if (std::find(extra.begin(), extra.end(), option) == extra.end()) {
                args.push_back(option);
                args.push_back(value);
            }
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    static OctoolSandbox* box_;
};

OctoolSandbox* OctoolErrors::box_ = nullptr;

TEST_F(OctoolErrors, EveryBadInputGivesOneLineAndANonZeroExit) {
    const std::vector<BadCase> cases = {
        // Commands and options.
        {"no command", {}, "missing command"},
        {"unknown command", {"frobnicate"}, "frobnicate"},
        {"unknown option", arrange({"--frob"}), "--frob"},
        {"option without value", {"arrange", "--alphabet"}, "--alphabet"},
        {"missing option", {"arrange", "--alphabet", "a.oca", "--image", "sheet.pgm"}, "--target"},
        // Files that are not there.
        {"missing manifest", {"teach", "--out", "x.oca", "nothere.txt"}, "nothere.txt"},
        {"missing alphabet",
         {"arrange", "--alphabet", "nothere.oca", "--image", "sheet.pgm", "--target", "0"},
         "nothere.oca"},
        {"missing image",
         {"arrange", "--alphabet", "a.oca", "--image", "nothere.pgm", "--target", "0"},
         "nothere.pgm"},
        // Manifests.
        {"area of three numbers",
         {"teach", "--out", "x.oca", "short-line.txt"},
         "short-line.txt:1:"},
        {"key not a number", {"teach", "--out", "x.oca", "bad-key.txt"}, "bad-key.txt:1:"},
        {"unknown word", {"teach", "--out", "x.oca", "extra.txt"}, "bold"},
        {"duplicate key", {"teach", "--out", "x.oca", "same-key.txt"}, "same-key.txt:2: key 48"},
        {"duplicate name", {"teach", "--out", "x.oca", "same-name.txt"}, "same-name.txt:2: name"},
        {"area outside the image", {"teach", "--out", "x.oca", "outside.txt"}, "outside.txt:1:"},
        {"image of a line missing", {"teach", "--out", "x.oca", "no-image.txt"}, "nothere.pgm"},
        {"mask of another size", {"teach", "--out", "x.oca", "bad-mask.txt"}, "small.pgm"},
        {"no characters", {"teach", "--out", "x.oca", "empty.txt"}, "empty.txt"},
        {"16-bit sample sheet", {"teach", "--out", "x.oca", "wide.txt"}, "--bits16=high"},
        {"16-bit reading not named",
         {"teach", "--out", "x.oca", "wide.txt", "--bits16", "low"},
         "'low'"},
        {"threshold out of range",
         {"teach", "--out", "x.oca", "manifest.txt", "--threshold", "2"},
         "threshold"},
        // Target and parameters.
        {"unknown target character", arrange({"--target", "01X"}), "'X'"},
        {"target not UTF-8", arrange({"--target", "0\xff"}), "UTF-8"},
        {"setter refuses", arrange({"--set", "maxLines=0"}), "Invalid max lines"},
        {"not a number", arrange({"--set", "lineBreakCost=cheap"}), "cheap"},
        {"not a range", arrange({"--set", "scaleRange=1.2"}), "START:END"},
        {"not a boolean", arrange({"--set", "isTextDirectionSpecified=yes"}), "yes"},
        {"not an enumerator", arrange({"--set", "lineType=eWavy"}), "eStraight"},
        {"enumeration number out of range", arrange({"--set", "orientationMode=7"}), "eAverage"},
        {"integer too large", arrange({"--set", "maxLines=99999999999"}), "32-bit"},
        {"unknown parameter", arrange({"--set", "maxLine=2"}), "maxLine"},
        {"no equals sign", arrange({"--set", "maxLines"}), "NAME=VALUE"},
        // Corrupt files.
        {"truncated alphabet", {"compile", "cut.oca"}, "cut.oca"},
        {"text as alphabet",
         {"arrange", "--alphabet", "text.oca", "--image", "sheet.pgm", "--target", "0"},
         "text.oca"},
        {"truncated image", arrange({"--image", "cut.pgm"}), "cut.pgm"},
        {"text as image", arrange({"--image", "text.pgm"}), "text.pgm"},
        {"16-bit image", arrange({"--image", "wide.pgm"}), "wide.pgm"},
        {"mask of another size", arrange({"--mask", "small.pgm"}), "small.pgm"},
        // Rendering.
        {"character the font lacks", {"render", "--out", "r.pgm", "--text", "a"}, "'a'"},
        {"omitted character beyond the text",
         {"render", "--out", "r.pgm", "--text", "AB", "--omit", "2"},
         "--omit"},
        {"unwritable output",
         {"render", "--out", "no/such/dir/r.pgm", "--text", "AB"},
         "no/such/dir"},
    };
    for (const BadCase& c : cases) {
        const OctoolRun run = box_->run(c.args);
        EXPECT_TRUE(run.failedCleanly()) << c.what << ": exit " << run.exitCode << ", stderr:\n"
                                         << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
    }
    // The way out the 16-bit refusal names works for sample sheets too.
    const OctoolRun high = box_->run({"teach", "--out", "x.oca", "wide.txt", "--bits16", "high"});
    EXPECT_EQ(high.exitCode, 0) << high.err;
}

TEST_F(OctoolErrors, HelpListsCommandsAndEveryArrangeParameter) {
    const OctoolRun top = box_->run({"--help"});
    ASSERT_EQ(top.exitCode, 0);
    for (const char* command : {"teach", "compile", "arrange", "render", "demo"})
        EXPECT_NE(top.out.find(command), std::string::npos) << command;

    const OctoolRun help = box_->run({"arrange", "--help"});
    ASSERT_EQ(help.exitCode, 0);
    std::istringstream words(
        "--alphabet --image --target --mask --set --json --overlay scaleRange= minMatchScore= "
        "maxLines= lineType= isTextDirectionSpecified= straightTextDirection= "
        "isCircularTextDirectionClockwise= maxUnmatchedChars= orientationMode= "
        "orientationReference= expectedOrientation= lineBreakCost= unmatchedCharCost= "
        "normalTransCost= tangentialTransCost= orientationCost= scaleCost= "
        "compPoseUncertainties= maxCandidates= timeout=");
    for (std::string word; words >> word;)
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

} // namespace
