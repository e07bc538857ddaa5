// The built program, driven through a pseudo-terminal as a person would use
// it, with its own data home, desktop and working directory.
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "tests/processes.h"

namespace {

using testing_support::ProgramCommand;
using testing_support::PtySession;
using testing_support::StandinClient;
using testing_support::TempFolder;

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) return;
    }
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.insert(name);
        }
        closedir(dir);
    }
    return names;
}

std::string Backslashed(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

class Program : public ::testing::Test {
protected:
    std::vector<std::string> Environment() const {
        return {"PATH=/usr/bin:/bin", "HOME=" + temp_.path(), "XDG_DATA_HOME=" + dataHome_,
                "XDG_RUNTIME_DIR=" + temp_.path(), "LC_ALL=C.UTF-8", "TERM=dumb"};
    }
    std::string Maker() const { return dataHome_ + "/K-ORB"; }
    std::string App() const { return Maker() + "/zelkor/app"; }

    TempFolder temp_;
    std::string dataHome_ = temp_.path() + "/data";
};

TEST_F(Program, RefusesWhileAClientWindowIsOpen) {
    for (const char* className : {"WC_ZELKOR_WIN_APP_MAIN", "WC_ZELKOR_WIN_APP_UPDATE"}) {
        StandinClient client(className, "Zelkor", Environment());
        ASSERT_TRUE(client.Ready());
        PtySession run(ProgramCommand("zelkor-cleanup"), Environment());
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

const std::string kPromptTail = "- IDなどの入力情報は削除されます\r\n"
                                "- IDをメモ帳などにバックアップしてください\r\n"
                                "- ダウンロードした牌譜は削除されません\r\n"
                                "- Flash版の情報は削除されません\r\n"
                                "\r\n"
                                "よろしいですか？\r\n"
                                "[Yes/No] ";

TEST_F(Program, DeclinedRunLeavesTheThreeEmptyFoldersWhateverItsArguments) {
    // A window titled like the client but of another class does not stop it.
    StandinClient other("Notepad", "Zelkor", Environment());
    ASSERT_TRUE(other.Ready());
    for (std::vector<std::string> arguments : {std::vector<std::string>{},
                                               {"--help", "/?", "-y", "C:\\x"}}) {
        std::vector<std::string> command = ProgramCommand("zelkor-cleanup");
        arguments.insert(arguments.begin(), command.begin(), command.end());
        PtySession run(arguments, Environment());
        ASSERT_TRUE(run.WaitFor("[Yes/No] ")) << run.Screen();
        EXPECT_NE(run.Screen().find("=== (i) Zelkor / CLEANUP ===\r\n"
                                    "Windows版Zelkorが使用しているファイルを全て削除します。\r\n\r\n" +
                                    kPromptTail),
                  std::string::npos)
            << "no ID block without config.ini:\n" << run.Screen();
        run.Type("maybe\n");  // not an answer: asked again
        ASSERT_TRUE(run.WaitFor("maybe\r\n[Yes/No] ")) << run.Screen();
        run.Type("No\n");
        EXPECT_EQ(run.WaitForExit(), 0) << run.Screen();
        EXPECT_TRUE(IsFolder(Maker() + "/zelkor/app"));
        EXPECT_EQ(Entries(Maker() + "/zelkor/app"), std::set<std::string>{});
    }
}

TEST_F(Program, AcceptedRunDeletesTheDataAndSaysSo) {
    MakeFolders(App());
    WriteFile(App() + "/config.ini", "[STATUS]\r\nUNAME=player-01\r\n");
    WriteFile(App() + "/save.dat", "s");
    WriteFile(App() + "/\xE3\x82\xBD.log", "so");  // a name whose code-page-932 form holds 5C
    WriteFile(dataHome_ + "/neighbour.txt", "not ours");
    PtySession run(ProgramCommand("zelkor-cleanup"), Environment());
    ASSERT_TRUE(run.WaitFor("[Yes/No] ")) << run.Screen();
    EXPECT_NE(run.Screen().find("前回のID入力情報 : 【player-01】\r\n\r\n" + kPromptTail), std::string::npos)
        << run.Screen();
    run.Type("y\n");
    ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
    EXPECT_NE(run.Screen().find("=== Zelkor / CLEANUP ===\r\n削除しました\r\n[OK] "), std::string::npos)
        << run.Screen();
    run.Type("\n");
    EXPECT_EQ(run.WaitForExit(), 0);
    EXPECT_FALSE(IsFolder(Maker()));
    EXPECT_EQ(Entries(dataHome_), std::set<std::string>{"neighbour.txt"});
}

TEST_F(Program, LeftoversAreReportedAndNothingElseIsTouched) {
    MakeFolders(App() + "/replays");
    WriteFile(App() + "/replays/game1", "kept: sub-folders are not entered");
    WriteFile(App() + "/.settings", "kept: dot-files are not listed");
    WriteFile(App() + "/save.dat", "deleted");
    PtySession run(ProgramCommand("zelkor-cleanup"), Environment());
    ASSERT_TRUE(run.WaitFor("[Yes/No] ")) << run.Screen();
    run.Type("YES\n");
    ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
    std::string zApp = "Z:" + Backslashed(App());
    std::string zClient = "Z:" + Backslashed(Maker() + "/zelkor");
    std::string zMaker = "Z:" + Backslashed(Maker());
    EXPECT_NE(run.Screen().find("=== Zelkor / CLEANUP ===\r\n"
                                "Directory : " + zApp + "\r\n"
                                "Directory : " + zClient + "\r\n"
                                "Directory : " + zMaker + "\r\n"
                                "以上の情報が削除できませんでした。\r\n[OK] "),
              std::string::npos)
        << run.Screen();
    run.Type("\n");
    EXPECT_EQ(run.WaitForExit(), 0);
    EXPECT_EQ(Entries(App()), (std::set<std::string>{".settings", "replays"}));
    EXPECT_EQ(Entries(App() + "/replays"), std::set<std::string>{"game1"});
}

TEST_F(Program, WithoutADataHomeItSaysSoAndStops) {
    std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LC_ALL=C.UTF-8",
                                            "XDG_RUNTIME_DIR=" + temp_.path()};
    PtySession run(ProgramCommand("zelkor-cleanup"), environment);
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
    PtySession run(ProgramCommand("zelkor-cleanup"), Environment());
    ASSERT_TRUE(run.WaitFor("[OK] ")) << run.Screen();
    run.Type("\x04");  // end of input
    EXPECT_EQ(run.WaitForExit(), 1);
}

}  // namespace
