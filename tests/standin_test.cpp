// The stand-in platform on a real temporary folder: what the program sees
// of a Unix system must be what it would see under Wine.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>

#include "platform/posix/ini_file.h"
#include "platform/posix/posix_platform.h"
#include "tests/processes.h"

namespace {

using platform::FindData;
using platform::PosixPlatform;
using testing_support::TempFolder;

using testing_support::ZForm;

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// Every entry of `folder` (a Windows path), in the order the search gives.
std::vector<std::pair<std::string, std::uint32_t>> List(PosixPlatform& os, const std::string& folder) {
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    FindData data;
    platform::SearchHandle search = os.FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == platform::InvalidSearchHandle()) return entries;
    do {
        entries.emplace_back(data.name, data.attributes);
    } while (os.FindNextFileA(search, &data));
    EXPECT_EQ(os.GetLastError(), 18u) << "the end of a search is ERROR_NO_MORE_FILES";
    EXPECT_TRUE(os.FindClose(search));
    return entries;
}

class StandIn : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getcwd(startDirectory_, sizeof startDirectory_), nullptr); }
    void TearDown() override { ASSERT_EQ(chdir(startDirectory_), 0); }

    TempFolder temp_;
    std::string root_ = temp_.path();
    std::string zRoot_ = ZForm(temp_.path());
    PosixPlatform os_;

private:
    char startDirectory_[4096];
};

TEST_F(StandIn, WorkingDirectoryInZFormBothWays) {
    ASSERT_EQ(mkdir((root_ + "/sub").c_str(), 0700), 0);
    ASSERT_EQ(chdir(root_.c_str()), 0);
    char buffer[platform::kMaxPath];
    std::uint32_t length = os_.GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_EQ(std::string(buffer), zRoot_);
    EXPECT_EQ(length, zRoot_.size());
    EXPECT_EQ(os_.GetCurrentDirectoryA(3, buffer), zRoot_.size() + 1) << "too small: the size needed";

    const std::pair<std::string, std::string> moves[] = {
        {zRoot_ + "\\sub", root_ + "/sub"},   // absolute, backslashes
        {"..", root_},                         // relative to the working directory
        {"z:" + root_ + "/sub/", root_ + "/sub"},  // lower-case drive, slashes
        {"\\", "/"},                           // the root of the current drive
    };
    for (const auto& [windows, unix] : moves) {
        ASSERT_TRUE(os_.SetCurrentDirectoryA(windows.c_str())) << windows;
        char cwd[4096];
        EXPECT_EQ(std::string(getcwd(cwd, sizeof cwd)), unix) << windows;
    }
    EXPECT_EQ(os_.GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
    EXPECT_STREQ(buffer, "Z:\\");

    EXPECT_FALSE(os_.SetCurrentDirectoryA("C:\\Windows"));
    EXPECT_EQ(os_.GetLastError(), platform::kErrorPathNotFound) << "Z: is the only drive";
}

TEST_F(StandIn, DoubleByteNamesAreCodePage932AtTheInterface) {
    // "ソ" is E3 82 BD on disk and 83 5C to Windows code: its trail byte is a
    // backslash, which must not split the name.
    ASSERT_EQ(mkdir((root_ + "/\xE3\x82\xBD").c_str(), 0700), 0);
    auto entries = List(os_, zRoot_);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].first, "\x83\x5C");
    EXPECT_TRUE(entries[2].second & platform::kAttributeDirectory);

    std::string inside = zRoot_ + "\\\x83\x5C\\app";
    EXPECT_TRUE(os_.CreateDirectoryA(inside.c_str(), nullptr));
    EXPECT_TRUE(Exists(root_ + "/\xE3\x82\xBD/app"));
    ASSERT_TRUE(os_.SetCurrentDirectoryA(inside.c_str()));
    char buffer[platform::kMaxPath];
    os_.GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_EQ(std::string(buffer), inside);
}

TEST_F(StandIn, SearchListsDotEntriesFirstThenByNameWithAttributes) {
    ASSERT_EQ(mkdir((root_ + "/folder").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((root_ + "/elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(symlink((root_ + "/elsewhere").c_str(), (root_ + "/b-link").c_str()), 0);
    WriteFile(root_ + "/c.txt", "c");
    WriteFile(root_ + "/A.txt", "a");
    WriteFile(root_ + "/.hidden", "h");
    WriteFile(root_ + "/readonly", "r");
    ASSERT_EQ(chmod((root_ + "/readonly").c_str(), 0444), 0);

    using platform::kAttributeArchive;
    using platform::kAttributeDirectory;
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {".", kAttributeDirectory},
        {"..", kAttributeDirectory},
        {".hidden", kAttributeArchive | platform::kAttributeHidden},
        {"A.txt", kAttributeArchive},
        {"b-link", kAttributeDirectory | platform::kAttributeReparsePoint},  // as Wine marks it
        {"c.txt", kAttributeArchive},
        {"elsewhere", kAttributeDirectory},
        {"folder", kAttributeDirectory},
        {"readonly", kAttributeArchive | platform::kAttributeReadOnly},
    };
    EXPECT_EQ(List(os_, zRoot_), expected);

    // Wildcards ignore ASCII case; a search that finds nothing says why.
    FindData data;
    platform::SearchHandle search = os_.FindFirstFileA((zRoot_ + "\\*.TXT").c_str(), &data);
    ASSERT_NE(search, platform::InvalidSearchHandle());
    EXPECT_STREQ(data.name, "A.txt");
    ASSERT_TRUE(os_.FindNextFileA(search, &data));
    EXPECT_STREQ(data.name, "c.txt");
    EXPECT_FALSE(os_.FindNextFileA(search, &data));
    EXPECT_TRUE(os_.FindClose(search));
    EXPECT_EQ(os_.FindFirstFileA((zRoot_ + "\\*.none").c_str(), &data), platform::InvalidSearchHandle());
    EXPECT_EQ(os_.GetLastError(), platform::kErrorFileNotFound);
    EXPECT_EQ(os_.FindFirstFileA((zRoot_ + "\\missing\\*").c_str(), &data), platform::InvalidSearchHandle());
    EXPECT_EQ(os_.GetLastError(), platform::kErrorPathNotFound);
}

TEST_F(StandIn, FailuresCarryTheWindowsErrorCodes) {
    ASSERT_EQ(mkdir((root_ + "/full").c_str(), 0700), 0);
    WriteFile(root_ + "/full/file", "x");
    WriteFile(root_ + "/readonly", "r");
    ASSERT_EQ(chmod((root_ + "/readonly").c_str(), 0444), 0);
    ASSERT_EQ(mkdir((root_ + "/empty").c_str(), 0700), 0);

    using Operation = std::function<bool(const char*)>;
    Operation del = [this](const char* path) { return os_.DeleteFileA(path); };
    Operation rmd = [this](const char* path) { return os_.RemoveDirectoryA(path); };
    Operation mkd = [this](const char* path) { return os_.CreateDirectoryA(path, nullptr); };
    const struct Case {
        const char* label;
        Operation operation;
        std::string path;
        std::uint32_t error;
    } cases[] = {
        {"delete a missing file", del, zRoot_ + "\\nothing", 2},
        {"delete in a missing folder", del, zRoot_ + "\\no\\thing", 3},
        {"delete a folder", del, zRoot_ + "\\full", 5},
        {"delete a read-only file", del, zRoot_ + "\\readonly", 5},
        {"delete a name with '?'", del, zRoot_ + "\\a?b", 123},
        {"delete bytes that are not CP932", del, zRoot_ + "\\\x85\x40", 123},
        {"delete on another drive", del, "C:\\file", 3},
        {"delete a path of 260 bytes", del, "Z:\\" + std::string(257, 'a'), 206},
        {"remove a folder that is not empty", rmd, zRoot_ + "\\full", 145},
        {"remove a missing folder", rmd, zRoot_ + "\\nothing", 2},
        {"remove a file", rmd, zRoot_ + "\\readonly", 267},
        {"create an existing folder", mkd, zRoot_ + "\\empty", 183},
        {"create in a missing folder", mkd, zRoot_ + "\\no\\thing", 3},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.operation(c.path.c_str())) << c.label;
        EXPECT_EQ(os_.GetLastError(), c.error) << c.label;
    }
    EXPECT_TRUE(Exists(root_ + "/full/file"));
    EXPECT_TRUE(Exists(root_ + "/readonly"));
    EXPECT_TRUE(os_.RemoveDirectoryA((zRoot_ + "\\empty").c_str()));
    EXPECT_FALSE(Exists(root_ + "/empty"));
}

TEST_F(StandIn, NamesWithoutAFaithfulCodePage932FormReachNothing) {
    // An emoji has no code-page-932 form; the yen sign has one only by
    // mapping onto the backslash, which would name another path.
    ASSERT_EQ(mkdir((root_ + "/x").c_str(), 0700), 0);
    WriteFile(root_ + "/x/y", "another file");
    WriteFile(root_ + "/smile\xF0\x9F\x99\x82", "s");
    WriteFile(root_ + "/x\xC2\xA5y", "yen");
    WriteFile(root_ + "/back\\slash", "b");
    auto entries = List(os_, zRoot_);
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const auto& entry : entries) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "back?slash", "smile?", "x", "x?y"}));
    for (const char* shown : {"back?slash", "smile?", "x?y"}) {
        EXPECT_FALSE(os_.DeleteFileA((zRoot_ + "\\" + shown).c_str())) << shown;
        EXPECT_EQ(os_.GetLastError(), platform::kErrorInvalidName) << shown;
    }
    EXPECT_TRUE(Exists(root_ + "/x/y"));
    EXPECT_TRUE(Exists(root_ + "/x\xC2\xA5y"));
}

TEST_F(StandIn, LinksGoThemselvesAndTheirTargetsStay) {
    ASSERT_EQ(mkdir((root_ + "/target").c_str(), 0700), 0);
    WriteFile(root_ + "/target/kept", "k");
    ASSERT_EQ(symlink((root_ + "/target/kept").c_str(), (root_ + "/file-link").c_str()), 0);
    ASSERT_EQ(symlink((root_ + "/target").c_str(), (root_ + "/folder-link").c_str()), 0);
    EXPECT_TRUE(os_.DeleteFileA((zRoot_ + "\\file-link").c_str()));
    EXPECT_TRUE(os_.RemoveDirectoryA((zRoot_ + "\\folder-link").c_str()));
    EXPECT_FALSE(Exists(root_ + "/file-link"));
    EXPECT_FALSE(Exists(root_ + "/folder-link"));
    EXPECT_TRUE(Exists(root_ + "/target/kept"));
}

TEST_F(StandIn, LocalAppDataFollowsTheXdgDataHome) {
    testing_support::ScopedEnvironment keepData("XDG_DATA_HOME", root_ + "/data/home");
    testing_support::ScopedEnvironment keepHome("HOME", root_);
    char path[platform::kMaxPath];

    EXPECT_TRUE(os_.SHGetSpecialFolderPathA(nullptr, path, platform::kCsidlLocalAppData, true));
    EXPECT_EQ(std::string(path), zRoot_ + "\\data\\home");
    EXPECT_TRUE(Exists(root_ + "/data/home")) << "created when missing";

    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_TRUE(os_.SHGetSpecialFolderPathA(nullptr, path, platform::kCsidlLocalAppData, true));
    EXPECT_EQ(std::string(path), zRoot_ + "\\.local\\share");

    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_FALSE(os_.SHGetSpecialFolderPathA(nullptr, path, platform::kCsidlLocalAppData, true));
    std::string deep = root_ + "/" + std::string(200, 'd') + "/" + std::string(60, 'e');
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    EXPECT_FALSE(os_.SHGetSpecialFolderPathA(nullptr, path, platform::kCsidlLocalAppData, true))
        << "a folder whose path does not fit 260 bytes";
}

TEST(IniFile, ReadsValuesTheWayWindowsDoes) {
    const struct Case {
        const char* label;
        std::string text;
        std::optional<std::string> value;  // of UNAME in STATUS
    } cases[] = {
        {"plain", "[STATUS]\nUNAME=abc\n", "abc"},
        {"names ignore case", "[status]\nuname=abc\n", "abc"},
        {"blanks trimmed", "  [ STATUS ]  \r\n \t UNAME \t=  a b c \t\r\n", "a b c"},
        {"double quotes", "[STATUS]\nUNAME=\"  abc  \"\n", "  abc  "},
        {"single quotes", "[STATUS]\nUNAME='abc'\n", "abc"},
        {"one pair only", "[STATUS]\nUNAME=\"\"abc\"\"\n", "\"abc\""},
        {"unmatched quote", "[STATUS]\nUNAME=\"abc\n", "\"abc"},
        {"empty value", "[STATUS]\nUNAME=\n", ""},
        {"no '='", "[STATUS]\nUNAME\n", ""},
        {"'=' in the value", "[STATUS]\nUNAME=a=b\n", "a=b"},
        {"first key wins", "[STATUS]\nUNAME=one\nUNAME=two\n", "one"},
        {"other section", "[OTHER]\nUNAME=abc\n[STATUS]\nNAME=x\n", std::nullopt},
        {"key before any section", "UNAME=abc\n[STATUS]\n", std::nullopt},
        {"no final newline", "[STATUS]\nUNAME=abc", "abc"},
        {"CR line ends", "[STATUS]\rUNAME=abc\r", "abc"},
        {"commented out", "[STATUS]\n;UNAME=abc\n", std::nullopt},
        {"code page 932 value", "[STATUS]\nUNAME=\x83\x5C\x83\x74\x83\x67\n", "\x83\x5C\x83\x74\x83\x67"},
        {"empty file", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::posix::FindIniValue(c.text, "STATUS", "UNAME"), c.value) << c.label;
    }
}

TEST_F(StandIn, ProfileStringsAreReadRelativeToTheWorkingDirectoryAndCut) {
    WriteFile(root_ + "/config.ini", "[STATUS]\nUNAME=" + std::string(100, 'x') + "\nSHORT=\xEF\xBD\x81\n");
    WriteFile(root_ + "/bom.ini", "\xEF\xBB\xBF[STATUS]\nUNAME=\xE3\x82\xBD\n");
    ASSERT_TRUE(os_.SetCurrentDirectoryA(zRoot_.c_str()));
    char value[80];
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, sizeof value, ".\\config.ini"), 79u);
    EXPECT_EQ(std::string(value), std::string(79, 'x'));
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "SHORT", nullptr, value, sizeof value, "./config.ini"), 3u)
        << "without a byte-order mark the bytes are taken as they are";
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, sizeof value, "./bom.ini"), 2u);
    EXPECT_STREQ(value, "\x83\x5C") << "a UTF-8 file is read in the ANSI code page";
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "NONE", nullptr, value, sizeof value, "./config.ini"), 0u);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, sizeof value, "./missing.ini"), 0u);
    EXPECT_EQ(os_.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, sizeof value, "config.ini"), 0u)
        << "a bare name is looked for in the Windows folder, not the working one";
}

TEST_F(StandIn, FindWindowSeesLiveStandinClientsOnly) {
    testing_support::ScopedEnvironment runtime("XDG_RUNTIME_DIR", root_);
    std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + root_};
    EXPECT_EQ(os_.FindWindowA("WC_TEST", nullptr), nullptr);
    {
        testing_support::StandinClient client("WC_TEST", "Title", environment);
        ASSERT_TRUE(client.Ready());
        EXPECT_NE(os_.FindWindowA("WC_TEST", nullptr), nullptr);
        EXPECT_NE(os_.FindWindowA("wc_test", nullptr), nullptr) << "class names ignore case";
        EXPECT_NE(os_.FindWindowA("WC_TEST", "Title"), nullptr);
        EXPECT_EQ(os_.FindWindowA("WC_TEST", "Other"), nullptr);
        EXPECT_EQ(os_.FindWindowA("WC_OTHER", nullptr), nullptr);
    }
    EXPECT_EQ(os_.FindWindowA("WC_TEST", nullptr), nullptr) << "closed with the end of its input";

    testing_support::StandinClient killed("WC_TEST", "", environment);
    ASSERT_TRUE(killed.Ready());
    EXPECT_NE(os_.FindWindowA("WC_TEST", nullptr), nullptr);
    killed.Kill(SIGKILL);
    EXPECT_EQ(os_.FindWindowA("WC_TEST", nullptr), nullptr) << "gone with its process";
    std::string desktop = root_ + "/zelkor-standin-desktop";
    EXPECT_EQ(rmdir(desktop.c_str()), 0) << "nothing stale left in " << desktop;
}

}  // namespace
