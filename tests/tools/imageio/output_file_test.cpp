#include "vxImageFile.h"
#include "vxOutputFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class OutputFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("output_file_test_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, ignored);
        fs::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    long entries() const {
        return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
    }
    fs::path dir_;
};

TEST_F(OutputFile, ReplacesWholeKeepingPermissionsAndLinks) {
    put("a.txt", "old contents, longer than the new ones");
    fs::permissions(path("a.txt"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    vfWriteOutputFile(path("a.txt"), "new");
    EXPECT_EQ(get("a.txt"), "new");
    EXPECT_EQ(fs::status(path("a.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_symlink("a.txt", path("link.txt"));
    vfWriteOutputFile(path("link.txt"), "through the link");
    EXPECT_TRUE(fs::is_symlink(path("link.txt")));
    EXPECT_EQ(get("a.txt"), "through the link");
    EXPECT_EQ(entries(), 2);
}

TEST_F(OutputFile, AnUnfinishedFileLeavesTheTargetAndNoTrace) {
    put("a.txt", "old");
    {
        vxOutputFile out(path("a.txt"));
        out.write("partial", 7);
        // Dropped without commit(), as when the writer throws half way.
    }
    EXPECT_EQ(get("a.txt"), "old");
    EXPECT_EQ(entries(), 1);
}

TEST_F(OutputFile, UnwritablePlacesAreRefusedAndLeftAlone) {
    put("file", "a file, not a folder");
    fs::create_directory(path("folder"));
    struct Case {
        const char* what;
        std::string path;
        const char* fault;
    };
    std::vector<Case> cases = {
        {"missing folder", path("none/x.txt"), "does not exist"},
        {"file as folder", path("file/x.txt"), "not a folder"},
        {"a folder", path("folder"), "folder"},
        {"empty name", "", "empty"},
    };
    if (::geteuid() != 0) { // root writes into read-only folders
        fs::create_directory(path("locked"));
        put("locked/x.txt", "kept");
        fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({"read-only folder", path("locked/x.txt"), "locked"});
    }
    for (const Case& c : cases) {
        for (const bool early : {true, false}) {
            try {
                if (early)
                    vfCheckOutputPath(c.path);
                else
                    vfWriteOutputFile(c.path, "new");
                ADD_FAILURE() << c.what << ": no error";
            } catch (const vxOutputFileError& e) {
                const std::string m = e.what();
                EXPECT_NE(m.find(c.fault), std::string::npos) << c.what << ": " << m;
                EXPECT_EQ(m.find('\n'), std::string::npos) << m;
            }
        }
    }
    EXPECT_EQ(get("file"), "a file, not a folder");
    EXPECT_TRUE(fs::is_directory(path("folder")));
    if (::geteuid() != 0) {
        EXPECT_EQ(get("locked/x.txt"), "kept");
    }
}

} // namespace
