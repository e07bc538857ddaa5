// The inventory stages over the stand-in platform, on a real data folder.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "cleanup/cleanup.h"
#include "platform/posix/posix_platform.h"
#include "tests/processes.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string CurrentDirectory() {
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? cwd : "";
}

class InventoryOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(app_.c_str(), 0700), 0);
        startDirectory_ = CurrentDirectory();
    }
    void TearDown() override { ASSERT_EQ(chdir(startDirectory_.c_str()), 0); }
    void Write(const std::string& name, const std::string& content) {
        std::ofstream(app_ + "/" + name, std::ios::binary) << content;
    }

    testing_support::TempFolder temp_;
    std::string app_ = temp_.path() + "/app";
    platform::PosixPlatform os_;
    std::string startDirectory_;

    std::string ZApp() const { return testing_support::ZForm(app_); }
};

TEST_F(InventoryOnDisk, ReadsTheSavedIdAndComesBackToTheWorkingDirectory) {
    const struct Case {
        const char* label;
        std::optional<std::string> config;  // nullopt: no config.ini
        std::string id;
    } cases[] = {
        {"no config.ini", std::nullopt, ""},
        {"no UNAME key", "[STATUS]\r\nNAME=abc\r\n", ""},
        {"UNAME in another section", "[OTHER]\r\nUNAME=abc\r\n", ""},
        {"an ID", "[STATUS]\r\nUNAME=abc\r\n", "abc"},
        {"a 100-byte ID", "[STATUS]\r\nUNAME=" + std::string(100, '7') + "\r\n", std::string(79, '7')},
    };
    for (const Case& c : cases) {
        unlink((app_ + "/config.ini").c_str());
        if (c.config) Write("config.ini", *c.config);
        std::string id;
        cleanup::ReadSavedId(os_, ZApp(), id);
        EXPECT_EQ(id, c.id) << c.label;
        EXPECT_EQ(CurrentDirectory(), startDirectory_) << c.label;
    }
}

TEST_F(InventoryOnDisk, ListsOnlyThePlainFilesOfTheFolder) {
    std::vector<std::string> files;
    cleanup::ListDataFiles(os_, ZApp(), files);
    EXPECT_THAT(files, IsEmpty()) << "an empty folder";

    Write("config.ini", "[STATUS]\r\n");
    Write(".hidden", "dot-files are not listed");
    Write("b.dat", "b");
    Write("a.dat", "a");
    ASSERT_EQ(mkdir((app_ + "/sub").c_str(), 0700), 0);
    Write("sub/inner.dat", "sub-folders are not entered");
    cleanup::ListDataFiles(os_, ZApp(), files);
    EXPECT_THAT(files, ElementsAre(ZApp() + "\\a.dat", ZApp() + "\\b.dat", ZApp() + "\\config.ini"));

    files.clear();
    cleanup::ListDataFiles(os_, ZApp() + "\\missing", files);
    EXPECT_THAT(files, IsEmpty()) << "a folder that cannot be searched";
}

}  // namespace
