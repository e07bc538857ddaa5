// Data folders that work against the program, over the stand-in: links,
// names Windows cannot hold, paths too long, odd settings files, and folders
// changed while the question is up. Whatever happens, nothing outside the
// client's folders is touched and the report names what was left.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cleanup/cleanup.h"
#include "platform/posix/posix_platform.h"
#include "tests/encoding.h"
#include "tests/faulty_platform.h"
#include "tests/processes.h"

namespace {

namespace fs = std::filesystem;

std::string ZForm(const fs::path& path) {
    return testing_support::ZForm(path.string());
}

class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(app_);
        fs::create_directories(outside_);
        std::ofstream(outside_ / "target.txt") << "not the client's";
        fs::create_directories(outside_ / "folder");
        std::ofstream(outside_ / "folder" / "inner.txt") << "not the client's";
    }
    void Write(const fs::path& path, const std::string& content = "x") {
        std::ofstream(path, std::ios::binary) << content;
    }

    // A whole run answered Yes; the last dialog's text, in UTF-8.
    std::string RunAccepted(std::function<void()> whilePromptIsUp = {}) {
        platform::PosixPlatform standIn;
        testing_support::FaultyPlatform os(standIn, platform::kIdYes);
        os.whilePromptIsUp = std::move(whilePromptIsUp);
        EXPECT_EQ(cleanup::RunCleanup(os), cleanup::kExitDone);
        EXPECT_TRUE(os.proceeded);
        prompt_ = os.dialogTexts.empty() ? "" : os.dialogTexts.front();
        return os.dialogTexts.empty() ? "" : testing_support::Utf8(os.dialogTexts.back());
    }

    void ExpectOutsideUntouched() {
        EXPECT_TRUE(fs::exists(outside_ / "target.txt"));
        EXPECT_TRUE(fs::exists(outside_ / "folder" / "inner.txt"));
    }

    std::string Folders() const {
        return "Directory : " + ZForm(app_) + "\r\nDirectory : " + ZForm(client_) + "\r\nDirectory : " +
               ZForm(maker_) + "\r\n";
    }

    testing_support::TempFolder temp_;
    fs::path data_ = temp_.path() + "/data";
    fs::path maker_ = data_ / "K-ORB";
    fs::path client_ = maker_ / "zelkor";
    fs::path app_ = client_ / "app";
    fs::path outside_ = temp_.path() + "/outside";
    testing_support::ScopedEnvironment dataHome_{"XDG_DATA_HOME", data_.string()};
    std::string prompt_;  // code page 932
};

const std::string kClosing = "以上の情報が削除できませんでした。";

TEST_F(Hostile, ALinkToAFileGoesButItsTargetStays) {
    fs::create_symlink(outside_ / "target.txt", app_ / "file-link");
    EXPECT_EQ(RunAccepted(), "削除しました");
    EXPECT_FALSE(fs::exists(maker_));
    ExpectOutsideUntouched();
}

TEST_F(Hostile, ALinkToAFolderIsNeitherEnteredNorRemoved) {
    fs::create_directory_symlink(outside_ / "folder", app_ / "dir-link");
    EXPECT_EQ(RunAccepted(), Folders() + kClosing);
    EXPECT_TRUE(fs::is_symlink(app_ / "dir-link"));
    ExpectOutsideUntouched();
}

TEST_F(Hostile, AnApplicationFolderThatIsALinkHasNothingDeletedThroughIt) {
    fs::remove(app_);
    Write(outside_ / "folder" / "save.dat");
    fs::create_directory_symlink(outside_ / "folder", app_);
    std::string report = RunAccepted();
    EXPECT_EQ(report, "File : " + ZForm(app_ / "save.dat") + "\r\nFile : " + ZForm(app_ / "inner.txt") + "\r\n" +
                          kClosing);
    EXPECT_TRUE(fs::exists(outside_ / "folder" / "save.dat"));
    ExpectOutsideUntouched();
}

TEST_F(Hostile, NamesWindowsCannotHoldAreReportedNotLost) {
    const std::string longName(255, 'n');
    const std::string names[] = {"line\nbreak", "carriage\rreturn", "bad\xFFutf8", "smile\xF0\x9F\x99\x82",
                                 longName};
    for (const std::string& name : names) Write(app_ / name);
    Write(app_ / "plain.dat");
    std::string report = RunAccepted();
    EXPECT_FALSE(fs::exists(app_ / "plain.dat"));
    for (const std::string& name : names) {
        EXPECT_TRUE(fs::exists(app_ / name)) << name;
    }
    // The names as the program sees them: '?' for what Windows cannot hold.
    for (std::string shown : {"line?break", "carriage?return", "bad?utf8", "smile?", longName.c_str()}) {
        EXPECT_NE(report.find("File : " + ZForm(app_ / shown) + "\r\n"), std::string::npos) << shown;
    }
    EXPECT_NE(report.find(Folders() + kClosing), std::string::npos);
}

TEST_F(Hostile, ADataFolderPathTooLongForWindowsCreatesNothingAndSaysSo) {
    // The local folder fits in 260 bytes, the application folder does not.
    fs::path deep = temp_.path() + "/" + std::string(240 - temp_.path().size(), 'd');
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    fs::path deepMaker = deep / "K-ORB";
    std::string report = RunAccepted();
    EXPECT_EQ(testing_support::Utf8(prompt_).rfind("Windows版Zelkorが使用している", 0), 0u);
    EXPECT_NE(report.find("Directory : " + ZForm(deepMaker / "zelkor" / "app") + "\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(deepMaker / "zelkor" / "app"));
}

TEST_F(Hostile, OddSettingsFilesGiveASoundIdOrNone) {
    using namespace std::string_literals;
    std::string huge = "[STATUS]\r\n" + std::string(8 << 20, '#') + "\r\nUNAME=deep\r\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    const struct Case {
        const char* label;
        std::optional<std::string> file;  // nullopt: a folder named config.ini
        std::string id;                   // as the prompt shows it, code page 932
    } cases[] = {
        {"huge", huge, "deep"},
        {"binary", binary, ""},
        {"UTF-16 with a byte-order mark", "\xFF\xFE[\0S\0T\0A\0T\0U\0S\0]\0\n\0U\0N\0A\0M\0E\0=\0\xBD\x30\n\0"s, "\x83\x5C"},
        {"a folder", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        fs::remove_all(app_ / "config.ini");
        if (c.file) {
            Write(app_ / "config.ini", *c.file);
        } else {
            fs::create_directory(app_ / "config.ini");
        }
        std::string id;
        platform::PosixPlatform os;
        cleanup::ReadSavedId(os, ZForm(app_), id);
        EXPECT_EQ(id, c.id) << c.label;
    }
}

TEST_F(Hostile, FoldersChangedWhileTheQuestionIsUp) {
    Write(app_ / "save.dat");
    Write(app_ / "target.txt");
    // Replaced by a link to a folder with a file of the same name: nothing
    // is deleted through the link, and the report says what was left.
    std::string report = RunAccepted([this] {
        fs::remove_all(app_);
        fs::create_directory_symlink(outside_, app_);
    });
    EXPECT_NE(report.find("File : " + ZForm(app_ / "target.txt") + "\r\n"), std::string::npos) << report;
    ExpectOutsideUntouched();

    // Removed altogether: what is gone stays gone, and the run ends.
    fs::remove(app_);
    fs::create_directories(app_);
    Write(app_ / "save.dat");
    report = RunAccepted([this] { fs::remove_all(maker_); });
    EXPECT_FALSE(fs::exists(maker_));
    EXPECT_NE(report.find(kClosing), std::string::npos) << "the folders that were gone cannot be removed";
    ExpectOutsideUntouched();
}

}  // namespace
