// octool's output files: an unwritable place is refused before the work starts, a write
// that fails leaves the file it was to replace as it was (the compiled alphabet too,
// which is its own input), and a device that refuses data is never removed.
#include "octool_runner.h"

#include <gtest/gtest.h>

#include <set>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Stops every file write of the tool after 512 bytes with EFBIG (the signal that
// would otherwise end the process is ignored).
const char* const kSmallFiles = "trap '' XFSZ; ulimit -f 1; ";

struct OutputCase {
    const char* what;
    std::vector<std::string> args;
    const char* message; // a part of the expected error line
};

class OctoolOutputs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = new OctoolSandbox;
        ASSERT_TRUE(box_->teachSmallSheet("plain.oca", false));
        ASSERT_TRUE(box_->teachSmallSheet("a.oca", true));
        fs::create_directory(box_->dir() / "sub");
    }
    static void TearDownTestSuite() {
        delete box_;
        box_ = nullptr;
    }
    static std::set<std::string> names() {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(box_->dir()))
            out.insert(entry.path().filename().string());
        out.erase(".stdout");
        out.erase(".stderr");
        return out;
    }
    static std::vector<std::string> arrange(const std::string& overlay) {
        return {"arrange",  "--alphabet", "a.oca",     "--image", "sheet.pgm",
                "--target", "012",        "--overlay", overlay};
    }
    static OctoolSandbox* box_;
};

OctoolSandbox* OctoolOutputs::box_ = nullptr;

TEST_F(OctoolOutputs, AnUnwritablePlaceIsRefusedBeforeTheWork) {
    std::vector<OutputCase> cases = {
        {"teach into a missing folder", {"teach", "--out", "none/x.oca", "manifest.txt"}, "none"},
        {"teach under a file",
         {"teach", "--out", "sheet.pgm/x.oca", "manifest.txt"},
         "not a folder"},
        {"teach onto a folder", {"teach", "--out", "sub", "manifest.txt"}, "folder"},
        {"overlay into a missing folder", arrange("none/o.ppm"), "none"},
        {"truth into a missing folder",
         {"render", "--out", "r.pgm", "--text", "01", "--truth", "none/t.json"},
         "none"},
        {"manifest into a missing folder",
         {"render", "--out", "s.pgm", "--sheet", "01", "--manifest", "none/m.txt"},
         "none"},
    };
    // Permissions do not stop root, so the read-only folder needs another user.
    if (::geteuid() != 0) {
        fs::create_directory(box_->dir() / "locked");
        fs::copy_file(box_->dir() / "plain.oca", box_->dir() / "locked/plain.oca");
        fs::permissions(box_->dir() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({"compile back into a read-only folder",
                         {"compile", "locked/plain.oca"},
                         "locked/plain.oca"});
    }
    const std::set<std::string> before = names();
    for (const OutputCase& c : cases) {
        const OctoolRun run = box_->run(c.args);
        EXPECT_TRUE(run.failedCleanly()) << c.what << ": exit " << run.exitCode << ", " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.what << ": the work ran";
        EXPECT_EQ(names(), before) << c.what;
    }
    EXPECT_TRUE(fs::is_directory(box_->dir() / "sub"));
    if (::geteuid() != 0) {
        EXPECT_TRUE(box_->read("locked/plain.oca") == box_->read("plain.oca"));
        fs::permissions(box_->dir() / "locked", fs::perms::owner_all);
    }
}

TEST_F(OctoolOutputs, AFailedWriteLeavesTheOldFile) {
    box_->write("u.oca", box_->read("plain.oca"));
    const std::vector<std::pair<OutputCase, std::string>> cases = {
        // The uncompiled alphabet is compiled and written back over itself.
        {{"compile write-back", {"compile", "u.oca"}, "u.oca"}, "u.oca"},
        {{"teach", {"teach", "--out", "old.oca", "manifest.txt"}, "old.oca"}, "old.oca"},
        {{"render", {"render", "--out", "old.pgm", "--text", "01"}, "old.pgm"}, "old.pgm"},
        {{"overlay", arrange("old.ppm"), "old.ppm"}, "old.ppm"},
    };
    for (const auto& [c, file] : cases) {
        if (file != "u.oca") box_->write(file, "what was there before\n");
        const std::string old = box_->read(file);
        const std::set<std::string> before = names();
        const OctoolRun run = box_->run(c.args, kSmallFiles);
        EXPECT_TRUE(run.failedCleanly()) << c.what << ": exit " << run.exitCode << ", " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_TRUE(box_->read(file) == old) << c.what << ": the file changed";
        EXPECT_EQ(names(), before) << c.what << ": a temporary file was left";
    }
    // Without the limit the same compile succeeds and replaces the file.
    ASSERT_EQ(box_->run({"compile", "u.oca"}).exitCode, 0);
    EXPECT_NE(box_->read("u.oca"), box_->read("plain.oca"));
}

} // namespace
