// The run from entry to exit over the scripted platform: the guard, the
// folder lookup and the data chain.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "cleanup/cleanup.h"
#include "cleanup/texts.h"
#include "tests/fake_platform.h"

namespace {

using testing_support::FakePlatform;
using ::testing::ElementsAre;

constexpr char kMain[] = "WC_ZELKOR_WIN_APP_MAIN";
constexpr char kUpdater[] = "WC_ZELKOR_WIN_APP_UPDATE";

// The calls after the folder lookup, in order.
std::vector<std::string> CallsAfterLookup(const FakePlatform& os) {
    auto lookup = std::find_if(os.calls.begin(), os.calls.end(), [](const std::string& call) {
        return call.rfind("SHGetSpecialFolderPathA", 0) == 0;
    });
    return lookup == os.calls.end() ? std::vector<std::string>{}
                                    : std::vector<std::string>(lookup + 1, os.calls.end());
}

TEST(Guard, RefusesWhileTheClientOrItsUpdaterIsOpen) {
    struct Case {
        const char* label;
        std::set<std::string> open;
        std::vector<std::string> lookups;
    } cases[] = {
        {"main window", {kMain}, {"FindWindowA WC_ZELKOR_WIN_APP_MAIN"}},
        {"updater only",
         {kUpdater},
         {"FindWindowA WC_ZELKOR_WIN_APP_MAIN", "FindWindowA WC_ZELKOR_WIN_APP_UPDATE"}},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.windowClasses = c.open;
        os.dialogAnswers = {platform::kIdOk};
        EXPECT_EQ(cleanup::RunCleanup(os), platform::kIdOk) << c.label;
        std::vector<std::string> expected = c.lookups;
        expected.push_back("MessageBoxA");
        EXPECT_EQ(os.calls, expected) << c.label << ": nothing may be created, read or deleted";
        ASSERT_EQ(os.dialogs.size(), 1u);
        EXPECT_EQ(os.dialogs[0].text, cleanup::kClientRunningText);
        EXPECT_EQ(os.dialogs[0].caption, std::string(cleanup::kDialogTitle));
        EXPECT_EQ(os.dialogs[0].style, platform::kMbOk);
    }
}

TEST(Guard, RefusedRunNeverExitsZeroWhenTheWarningCannotBeShown) {
    for (int notShown : {0, -1}) {  // Windows says 0, Wine -1
        FakePlatform os;
        os.windowClasses = {kMain};
        os.dialogAnswers = {notShown};
        EXPECT_NE(cleanup::RunCleanup(os), 0) << notShown;
    }
}

TEST(Guard, GoesAheadWhenNoClientClassIsOpen) {
    // A window titled like the client but of another class does not count:
    // only classes are compared, and the lookups pass no title.
    FakePlatform os;
    os.windowClasses = {"Notepad"};
    EXPECT_EQ(cleanup::RunCleanup(os), cleanup::kExitDone);
    ASSERT_GE(os.calls.size(), 3u);
    EXPECT_EQ(os.calls[0], "FindWindowA WC_ZELKOR_WIN_APP_MAIN");
    EXPECT_EQ(os.calls[1], "FindWindowA WC_ZELKOR_WIN_APP_UPDATE");
    EXPECT_EQ(os.calls[2], "SHGetSpecialFolderPathA 28 create");
}

TEST(FolderLookup, FailureShowsTheMessageAndTouchesNothing) {
    FakePlatform os;
    os.localAppData.reset();
    int status = cleanup::RunCleanup(os);
    EXPECT_NE(status, 0);
    EXPECT_EQ(status, cleanup::kExitNoDataFolder);
    EXPECT_THAT(CallsAfterLookup(os), ElementsAre("MessageBoxA"));
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].text, "CSIDL_LOCAL_APPDATA failed");
    EXPECT_EQ(os.dialogs[0].caption, std::nullopt) << "the platform's default caption shows";
    EXPECT_EQ(os.dialogs[0].style, platform::kMbOk);
}

TEST(DataChain, CreatesAndRecordsTheThreeLevelsOutermostFirst) {
    struct Case {
        const char* label;
        std::string localAppData;
        std::string root;  // what the chain grows from
    } cases[] = {
        {"plain", "C:\\Users\\me\\AppData\\Local", "C:\\Users\\me\\AppData\\Local\\"},
        {"trailing backslash", "C:\\Local\\", "C:\\Local\\"},
        {"ends in 83 5C", "C:\\\x83\x5C", "C:\\\x83\x5C\\"},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        std::string path = c.localAppData;
        std::vector<std::string> chain;
        cleanup::PrepareDataChain(os, path, chain);
        std::string maker = c.root + "K-ORB";
        std::string client = maker + "\\zelkor";
        std::string app = client + "\\app";
        EXPECT_THAT(chain, ElementsAre(maker, client, app)) << c.label;
        EXPECT_EQ(path, app) << c.label;
        EXPECT_THAT(os.calls, ElementsAre("CreateDirectoryA " + maker, "CreateDirectoryA " + client,
                                          "CreateDirectoryA " + app))
            << c.label;
    }
}

TEST(DataChain, CreationFailuresAreIgnored) {
    FakePlatform os;
    std::string base = *os.localAppData;
    os.failingPaths[base + "\\K-ORB"] = platform::kErrorAlreadyExists;
    os.failingPaths[base + "\\K-ORB\\zelkor"] = platform::kErrorAccessDenied;
    os.failingPaths[base + "\\K-ORB\\zelkor\\app"] = platform::kErrorPathNotFound;
    EXPECT_EQ(cleanup::RunCleanup(os), cleanup::kExitDone);
    std::vector<std::string> after = CallsAfterLookup(os);
    after.resize(std::min<std::size_t>(after.size(), 4));
    EXPECT_THAT(after, ElementsAre("CreateDirectoryA " + base + "\\K-ORB",
                                   "CreateDirectoryA " + base + "\\K-ORB\\zelkor",
                                   "CreateDirectoryA " + base + "\\K-ORB\\zelkor\\app",
                                   "GetCurrentDirectoryA 260"))
        << "the run goes on to the inventory";
}

}  // namespace
