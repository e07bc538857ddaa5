// The built program, driven through a pseudo-terminal as a person would use
// it, with its own data home, desktop and working directory.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/processes.h"

namespace {

using testing_support::BuiltProgram;
using testing_support::PtySession;
using testing_support::StandinClient;
using testing_support::TempFolder;

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class Program : public ::testing::Test {
protected:
    std::vector<std::string> Environment() const {
        return {"PATH=/usr/bin:/bin", "HOME=" + temp_.path(), "XDG_DATA_HOME=" + dataHome_,
                "XDG_RUNTIME_DIR=" + temp_.path(), "LC_ALL=C.UTF-8", "TERM=dumb"};
    }
    std::string Maker() const { return dataHome_ + "/K-ORB"; }

    TempFolder temp_;
    std::string dataHome_ = temp_.path() + "/data";
};

TEST_F(Program, RefusesWhileAClientWindowIsOpen) {
    for (const char* className : {"WC_ZELKOR_WIN_APP_MAIN", "WC_ZELKOR_WIN_APP_UPDATE"}) {
        StandinClient client(className, "Zelkor", Environment());
        ASSERT_TRUE(client.Ready());
        PtySession run({BuiltProgram("zelkor-cleanup")}, Environment());
        ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
        EXPECT_NE(run.Screen().find("=== Zelkor / CLEANUP ===\r\n"
                                    "Windows版Zelkorを終了してから実行してください\r\n"),
                  std::string::npos)
            << run.Screen();
        run.Type("\n");
        EXPECT_EQ(run.WaitForExit(), 1) << className;
        EXPECT_FALSE(IsFolder(Maker())) << "nothing created while " << className << " is open";
    }
}

TEST_F(Program, BuildsTheDataChainWhateverItsArguments) {
    // A window titled like the client but of another class does not stop it.
    StandinClient other("Notepad", "Zelkor", Environment());
    ASSERT_TRUE(other.Ready());
    for (std::vector<std::string> arguments : {std::vector<std::string>{},
                                               {"--help", "/?", "-y", "C:\\x"}}) {
        arguments.insert(arguments.begin(), BuiltProgram("zelkor-cleanup"));
        PtySession run(arguments, Environment());
        EXPECT_EQ(run.WaitForExit(), 0) << run.Screen();
        EXPECT_TRUE(IsFolder(Maker() + "/zelkor/app"));
    }
}

TEST_F(Program, WithoutADataHomeItSaysSoAndStops) {
    std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LC_ALL=C.UTF-8",
                                            "XDG_RUNTIME_DIR=" + temp_.path()};
    PtySession run({BuiltProgram("zelkor-cleanup")}, environment);
    ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
    EXPECT_NE(run.Screen().find("=== Error ===\r\nCSIDL_LOCAL_APPDATA failed\r\n"), std::string::npos)
        << run.Screen();
    run.Type("\n");
    EXPECT_EQ(run.WaitForExit(), 2);
}

TEST_F(Program, ADialogWithoutATerminalCountsAsNotShown) {
    // Input that ends before an answer: the warning could not be shown, and
    // the refused run still does not exit 0.
    StandinClient client("WC_ZELKOR_WIN_APP_MAIN", "", Environment());
    ASSERT_TRUE(client.Ready());
    PtySession run({BuiltProgram("zelkor-cleanup")}, Environment());
    ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
    run.Type("\x04");  // end of input
    EXPECT_EQ(run.WaitForExit(), 1);
}

}  // namespace
