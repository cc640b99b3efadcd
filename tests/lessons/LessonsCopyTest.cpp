// The lessons page placed in the learner's data folder: copied when missing
// or older than the installed one, left alone otherwise, and nothing else in
// the folder touched.
#include <gtest/gtest.h>

#include <chrono>

#include "state/LessonsCopy.h"
#include "support/TempFolder.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LessonsCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root_.Path() / "share" / "doc" / "pellix");
        fs::create_directories(root_.Path() / "data");
        root_.Write("share/doc/pellix/readme.htm", "new lessons");
        fs::last_write_time(installed_, now_);
    }
    std::string InFolder(const std::string& name) const { return root_.Read("data/" + name); }

    support::TempFolder root_;
    const fs::path installed_ = root_.Path() / "share" / "doc" / "pellix" / "readme.htm";
    const fs::path folder_ = root_.Path() / "data";
    const fs::file_time_type now_ = fs::file_time_type::clock::now() - 1h;
};

TEST_F(LessonsCopyTest, CopiesWhenMissingOrOlderAndKeepsANewerOne) {
    struct Case {
        const char* name;
        bool present;
        fs::file_time_type::duration age;  // of the folder's copy against the installed page
        const char* expected;
    };
    const Case cases[] = {
        {"missing", false, {}, "new lessons"},
        {"older", true, 1h, "new lessons"},
        {"same time", true, 0h, "learner's copy"},
        {"newer", true, -1h, "learner's copy"},
    };
    for (const Case& c : cases) {
        fs::remove(folder_ / "readme.htm");
        root_.Write("data/user.dat", "score");
        root_.Write("data/router1.cfg", "config");
        if (c.present) {
            root_.Write("data/readme.htm", "learner's copy");
            fs::last_write_time(folder_ / "readme.htm", now_ - c.age);
        }
        EXPECT_EQ(PlaceLessonsPage(folder_, installed_), "") << c.name;
        EXPECT_EQ(InFolder("readme.htm"), c.expected) << c.name;
        EXPECT_EQ(InFolder("user.dat"), "score") << c.name;
        EXPECT_EQ(InFolder("router1.cfg"), "config") << c.name;
    }
    // A fresh copy takes the installed page's time, so it is not copied again.
    fs::remove(folder_ / "readme.htm");
    PlaceLessonsPage(folder_, installed_);
    EXPECT_EQ(fs::last_write_time(folder_ / "readme.htm"), now_);
}

TEST_F(LessonsCopyTest, ReportsAFolderItCannotWriteTo) {
    fs::create_directories(folder_ / "readme.htm");  // a folder in the page's place
    EXPECT_NE(PlaceLessonsPage(folder_, installed_), "");
    EXPECT_TRUE(fs::is_directory(folder_ / "readme.htm"));
}

TEST_F(LessonsCopyTest, FindsThePageBesideAnInstalledProgram) {
    fs::create_directories(root_.Path() / "bin");
    std::optional<fs::path> page = InstalledLessonsPage(root_.Path() / "bin" / "pellix");
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(fs::equivalent(*page, installed_));
}

TEST(LessonsPageUrl, NamesTheTaskAndEscapesThePath) {
    EXPECT_EQ(LessonsPageUrl("/home/a b/pellix", 7), "file:///home/a%20b/pellix/readme.htm#task-7");
    EXPECT_EQ(LessonsPageUrl("/data", 0), "file:///data/readme.htm");
}

}  // namespace
}  // namespace pellix
