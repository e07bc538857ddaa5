// The Windows program end to end on the real Windows API as Wine implements
// it: real message boxes on Xvfb, read and answered by zelkor-test-helper.exe.
// One Xvfb, one Wine prefix and one wineserver serve every case; the data
// folders are reset between cases.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <memory>
#include <optional>

#include "platform/posix/posix_platform.h"
#include "tests/encoding.h"
#include "tests/processes.h"
#include "tests/wine/bmp_to_png.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildProcess;
using testing_support::Cp932;
using testing_support::TempFolder;
using testing_support::ZForm;

const std::string kBuild = WINE_TEST_BUILD;  // the Windows build under test
const std::string kShots = WINE_SHOTS_DIR;   // where the pictures of the dialogs go
const std::string kLocalWindows = "C:\\users\\player\\AppData\\Local";
const std::string kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// The Xvfb display, prefix and wineserver that every case shares.
class WineDesktop : public ::testing::Environment {
public:
    void SetUp() override {
        StartXvfb();
        const char* path = std::getenv("PATH");
        environment_ = {"PATH=" + std::string(path ? path : "/usr/bin:/bin"),
                        "HOME=" + home_.path(), "USER=player", "WINEPREFIX=" + home_.path() + "/prefix",
                        "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=", "LC_ALL=ja_JP.UTF-8",
                        "DISPLAY=:" + display_};
        ASSERT_EQ(Wine({"wineboot", "-i"}, 300), 0) << "the Wine prefix could not be made";
        server_ = std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", "exec wineserver -f -p"},
                                                 environment_);
        // Without a window manager, Wine draws its own frames, and faster.
        ASSERT_EQ(Wine({"reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f"}), 0);
        std::string line;
        ChildProcess probe(Command({Helper(), "default-caption"}), environment_);
        ASSERT_TRUE(probe.ReadLine(line)) << "no default caption";
        defaultCaption_ = Unhex(line.substr(line.find('=') + 1));
    }

    void TearDown() override {
        Wine({"wineserver", "-k"});
        server_.reset();
        if (xvfb_ > 0) {
            kill(xvfb_, SIGTERM);
            waitpid(xvfb_, nullptr, 0);
        }
    }

    // `program` with `arguments` through the wine loader, for ChildProcess.
    std::vector<std::string> Command(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"/usr/bin/env", "wine"});
        return arguments;
    }

    int Wine(const std::vector<std::string>& arguments, double seconds = 60) {
        ChildProcess process(Command(arguments), environment_);
        std::string line;
        while (process.ReadLine(line, seconds)) {
        }
        return process.WaitForExit(seconds);
    }

    std::string Helper() const { return kBuild + "/zelkor-test-helper.exe"; }
    const std::vector<std::string>& Environment() const { return environment_; }
    std::string Users() const { return home_.path() + "/prefix/drive_c/users/player"; }
    const std::string& DefaultCaption() const { return defaultCaption_; }

private:
    void StartXvfb() {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        xvfb_ = fork();
        if (xvfb_ == 0) {
            dup2(pipeFds[1], 3);
            int devnull = open("/dev/null", O_RDWR);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        struct pollfd ready = {pipeFds[0], POLLIN, 0};
        char number[16] = {};
        bool started = poll(&ready, 1, 30000) > 0 && read(pipeFds[0], number, sizeof number - 1) > 0;
        close(pipeFds[0]);
        ASSERT_TRUE(started) << "Xvfb did not start";
        display_ = std::to_string(std::atoi(number));
    }

    TempFolder home_;
    pid_t xvfb_ = -1;
    std::string display_;
    std::vector<std::string> environment_;
    std::unique_ptr<ChildProcess> server_;
    std::string defaultCaption_;
};

WineDesktop* g_desktop = nullptr;

struct Dialog {
    std::string caption;
    std::string text;
    std::string buttons;  // the ids, comma-separated
    bool icon;
};

bool operator==(const Dialog& a, const Dialog& b) {
    return a.caption == b.caption && a.text == b.text && a.buttons == b.buttons && a.icon == b.icon;
}

std::ostream& operator<<(std::ostream& out, const Dialog& dialog) {
    auto readable = [](const std::string& bytes) {
        try {
            return testing_support::Utf8(bytes);
        } catch (...) {
            return bytes;
        }
    };
    return out << "{caption \"" << readable(dialog.caption) << "\", text \"" << readable(dialog.text)
               << "\", buttons " << dialog.buttons << (dialog.icon ? ", icon}" : ", no icon}");
}

// What one answer to one box does before pressing its button.
struct Answer {
    int press;
    std::string deleteFirst;  // a Windows path, deleted while the box is up
    std::string shot;         // a picture of the box, by name
};

// One case's data folder, helpers and run.
class Scene {
public:
    explicit Scene(std::string local, std::string localWindows)
        : local_(std::move(local)), localWindows_(std::move(localWindows)) {
        fs::remove_all(local_ + "/K-ORB");
    }

    std::string Maker() const { return local_ + "/K-ORB"; }
    std::string App() const { return Maker() + "/zelkor/app"; }
    std::string WMaker() const { return localWindows_ + "\\K-ORB"; }
    std::string WClient() const { return WMaker() + "\\zelkor"; }
    std::string WApp() const { return WClient() + "\\app"; }

    void Write(const std::string& relative, const std::string& content = "data") {
        fs::create_directories(fs::path(App() + "/" + relative).parent_path());
        std::ofstream(App() + "/" + relative, std::ios::binary) << content;
    }
    void OpenWindow(const std::string& className, const std::string& title) {
        Start({g_desktop->Helper(), "window", className, title});
    }
    void Hold(const std::string& name) { Start({g_desktop->Helper(), "hold", WApp() + "\\" + name}); }
    void Hide(const std::string& name) {
        ASSERT_EQ(g_desktop->Wine({g_desktop->Helper(), "hide", WApp() + "\\" + name}), 0);
    }
    // Names as the program's search sees them, in its order.
    std::vector<std::string> Listing() {
        ChildProcess list(g_desktop->Command({g_desktop->Helper(), "list", WApp() + "\\*"}),
                          g_desktop->Environment());
        std::vector<std::string> names;
        for (std::string line; list.ReadLine(line, 20);) names.push_back(Unhex(line.substr(0, line.find(' '))));
        return names;
    }

    // Runs the program, answering its boxes in order; the dialogs it showed.
    std::vector<Dialog> Run(const std::vector<std::string>& arguments, const std::vector<Answer>& answers,
                            int& status) {
        std::vector<std::string> steps = {g_desktop->Helper(), "dialogs"};
        for (const Answer& answer : answers) {
            std::string step;
            if (!answer.deleteFirst.empty()) step += "delete=" + answer.deleteFirst + "|";
            if (!answer.shot.empty()) step += "shot=" + ZForm(kShots + "/" + answer.shot + ".bmp") + "|";
            steps.push_back(step + "press=" + std::to_string(answer.press));
        }
        ChildProcess driver(g_desktop->Command(steps), g_desktop->Environment());
        std::vector<std::string> command = {kBuild + "/zelkor-cleanup.exe"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess program(g_desktop->Command(command), g_desktop->Environment());
        status = program.WaitForExit(90);

        std::vector<Dialog> dialogs;
        for (std::string line; driver.ReadLine(line, dialogs.size() < answers.size() ? 5 : 1);) {
            if (line.rfind("dialog ", 0) != 0) continue;
            auto field = [&line](const std::string& name) {
                std::size_t at = line.find(" " + name + "=") + name.size() + 2;
                return line.substr(at, line.find(' ', at) - at);
            };
            dialogs.push_back({Unhex(field("caption")), Unhex(field("text")), field("buttons"),
                               field("icon") == "1"});
        }
        for (const Answer& answer : answers) {
            if (answer.shot.empty()) continue;
            std::string bmp = kShots + "/" + answer.shot + ".bmp";
            EXPECT_TRUE(testing_support::BmpToPng(bmp, kShots + "/" + answer.shot + ".png")) << answer.shot;
            fs::remove(bmp);
        }
        return dialogs;
    }

private:
    void Start(const std::vector<std::string>& command) {
        helpers_.push_back(std::make_unique<ChildProcess>(g_desktop->Command(command), g_desktop->Environment()));
        std::string line;
        ASSERT_TRUE(helpers_.back()->ReadLine(line, 30) && line == "ready") << command[1];
    }

    std::string local_;
    std::string localWindows_;
    std::vector<std::unique_ptr<ChildProcess>> helpers_;
};

// ---- the expected dialogs ----

const std::string kTitle = "Zelkor / CLEANUP";
constexpr bool kIcon = true;

Dialog Warning() {
    return {Cp932(kTitle), Cp932("Windows版Zelkorを終了してから実行してください"), "1", !kIcon};
}

Dialog Prompt(const std::string& id) {
    std::string text = Cp932("Windows版Zelkorが使用しているファイルを全て削除します。\r\n\r\n");
    if (!id.empty()) text += Cp932("前回のID入力情報 : 【") + id + Cp932("】\r\n\r\n");
    text += Cp932("- IDなどの入力情報は削除されます\r\n"
                  "- IDをメモ帳などにバックアップしてください\r\n"
                  "- ダウンロードした牌譜は削除されません\r\n"
                  "- Flash版の情報は削除されません\r\n"
                  "\r\n"
                  "よろしいですか？");
    return {Cp932(kTitle), text, "6,7", kIcon};
}

Dialog Deleted() {
    return {Cp932(kTitle), Cp932("削除しました"), "1", !kIcon};
}

// `lines`: "File : path" or "Directory : path", code page 932.
Dialog Report(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return {Cp932(kTitle), text + Cp932("以上の情報が削除できませんでした。"), "1", !kIcon};
}

std::vector<std::string> AllFolders(const Scene& scene) {
    return {"Directory : " + scene.WApp(), "Directory : " + scene.WClient(), "Directory : " + scene.WMaker()};
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

struct WineCase {
    std::string name;
    std::function<void(Scene&)> prepare;
    std::vector<std::string> arguments;
    std::vector<Answer> answers;
    int status;
    std::function<std::vector<Dialog>(Scene&)> dialogs;
    std::function<void(Scene&)> check;  // the disk afterwards
};

const Answer kOk = {1, "", ""};
const Answer kYes = {6, "", ""};
const Answer kNo = {7, "", ""};

void NothingCreated(Scene& scene) {
    EXPECT_FALSE(Exists(scene.Maker()));
}

void ThreeEmptyFolders(Scene& scene) {
    EXPECT_TRUE(fs::is_directory(scene.App()));
    EXPECT_TRUE(fs::is_empty(scene.App()));
}

void AllGone(Scene& scene) {
    EXPECT_FALSE(Exists(scene.Maker()));
}

std::vector<WineCase> Cases() {
    const std::string id100(100, 'i');
    return {
        {"main window open",
         [](Scene& s) { s.OpenWindow("WC_ZELKOR_WIN_APP_MAIN", "Zelkor"); },
         {},
         {{1, "", "warning"}},
         1,
         [](Scene&) { return std::vector<Dialog>{Warning()}; },
         NothingCreated},
        {"updater window only",
         [](Scene& s) { s.OpenWindow("WC_ZELKOR_WIN_APP_UPDATE", "Updater"); },
         {},
         {kOk},
         1,
         [](Scene&) { return std::vector<Dialog>{Warning()}; },
         NothingCreated},
        {"a window titled like the client, of another class",
         [](Scene& s) { s.OpenWindow("Notepad", "Zelkor"); },
         {},
         {kNo},
         0,
         [](Scene&) { return std::vector<Dialog>{Prompt("")}; },
         ThreeEmptyFolders},
        {"arguments on the command line, first run declined",
         [](Scene&) {},
         {"/yes", "--force", "C:\\windows"},
         {kNo},
         0,
         [](Scene&) { return std::vector<Dialog>{Prompt("")}; },
         ThreeEmptyFolders},
        {"saved ID shown",
         [](Scene& s) { s.Write("config.ini", "[STATUS]\r\nUNAME=player-01\r\n"); },
         {},
         {{7, "", "prompt"}},
         0,
         [](Scene&) { return std::vector<Dialog>{Prompt("player-01")}; },
         [](Scene& s) { EXPECT_TRUE(Exists(s.App() + "/config.ini")); }},
        {"a 100-byte ID shows its first 79 bytes",
         [id100](Scene& s) { s.Write("config.ini", "[STATUS]\r\nUNAME=" + id100 + "\r\n"); },
         {},
         {kNo},
         0,
         [id100](Scene&) { return std::vector<Dialog>{Prompt(id100.substr(0, 79))}; },
         [](Scene&) {}},
        {"an ID cut inside a double-byte character loses that character",
         [](Scene& s) { s.Write("config.ini", "[STATUS]\r\nUNAME=" + std::string(78, 'z') + Cp932("ソ") + "\r\n"); },
         {},
         {kNo},
         0,
         [](Scene&) { return std::vector<Dialog>{Prompt(std::string(78, 'z'))}; },
         [](Scene&) {}},
        {"accepted: ordinary files go and the run says so",
         [](Scene& s) {
             s.Write("config.ini", "[STATUS]\r\nUNAME=abc\r\n");
             s.Write("save.dat");
             s.Write("\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.bin");  // データ.bin
         },
         {},
         {kYes, {1, "", "deleted"}},
         0,
         [](Scene&) { return std::vector<Dialog>{Prompt("abc"), Deleted()}; },
         AllGone},
        {"accepted with hidden and read-only files: the report tells the truth",
         [](Scene& s) {
             s.Write("hidden.dat");
             s.Hide("hidden.dat");
             s.Write("readonly.dat");
             chmod((s.App() + "/readonly.dat").c_str(), 0444);
         },
         {},
         {kYes, {1, "", "report"}},
         0,
         [](Scene& s) {
             std::vector<std::string> lines = {"File : " + s.WApp() + "\\readonly.dat"};
             for (const std::string& line : AllFolders(s)) lines.push_back(line);
             return std::vector<Dialog>{Prompt(""), Report(lines)};
         },
         [](Scene& s) {
             EXPECT_FALSE(Exists(s.App() + "/hidden.dat"));
             EXPECT_TRUE(Exists(s.App() + "/readonly.dat"));
         }},
        {"a dot-file is not listed, so the folders stay",
         [](Scene& s) {
             s.Write(".settings");
             s.Write("save.dat");
         },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) { return std::vector<Dialog>{Prompt(""), Report(AllFolders(s))}; },
         [](Scene& s) {
             EXPECT_TRUE(Exists(s.App() + "/.settings"));
             EXPECT_FALSE(Exists(s.App() + "/save.dat"));
         }},
        {"a sub-folder is not entered",
         [](Scene& s) { s.Write("replays/game1"); },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) { return std::vector<Dialog>{Prompt(""), Report(AllFolders(s))}; },
         [](Scene& s) { EXPECT_TRUE(Exists(s.App() + "/replays/game1")); }},
        {"something else in the maker folder stays, and only that folder is reported",
         [](Scene& s) {
             s.Write("save.dat");
             std::ofstream(s.Maker() + "/other-game.ini") << "x";
         },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) { return std::vector<Dialog>{Prompt(""), Report({"Directory : " + s.WMaker()})}; },
         [](Scene& s) {
             EXPECT_TRUE(Exists(s.Maker() + "/other-game.ini"));
             EXPECT_FALSE(Exists(s.Maker() + "/zelkor"));
         }},
        {"a link to a folder inside the application folder is not entered",
         [](Scene& s) {
             fs::create_directories(s.Maker() + "/../outside");
             std::ofstream(s.Maker() + "/../outside/kept.txt") << "not the client's";
             fs::create_directories(s.App());
             fs::create_directory_symlink(s.Maker() + "/../outside", s.App() + "/dir-link");
         },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) { return std::vector<Dialog>{Prompt(""), Report(AllFolders(s))}; },
         [](Scene& s) {
             EXPECT_TRUE(Exists(s.Maker() + "/../outside/kept.txt"));
             fs::remove_all(s.Maker() + "/../outside");
         }},
        {"an application folder that is a link has nothing deleted through it",
         [](Scene& s) {
             fs::create_directories(s.Maker() + "/../outside");
             std::ofstream(s.Maker() + "/../outside/kept.txt") << "not the client's";
             fs::create_directories(s.Maker() + "/zelkor");
             fs::create_directory_symlink(s.Maker() + "/../outside", s.App());
         },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) {
             std::vector<std::string> lines = {"File : " + s.WApp() + "\\kept.txt"};
             for (const std::string& line : AllFolders(s)) lines.push_back(line);
             return std::vector<Dialog>{Prompt(""), Report(lines)};
         },
         [](Scene& s) {
             EXPECT_TRUE(Exists(s.Maker() + "/../outside/kept.txt"));
             fs::remove_all(s.Maker() + "/../outside");
         }},
        {"two files held open by another program, reported last-listed first",
         [](Scene& s) {
             s.Write("a.dat");
             s.Write("b.dat");
             s.Hold("a.dat");
             s.Hold("b.dat");
         },
         {},
         {kYes, kOk},
         0,
         [](Scene& s) {
             std::vector<std::string> listed;
             for (const std::string& name : s.Listing()) {
                 if (name != "." && name != "..") listed.push_back(name);
             }
             std::vector<std::string> lines;
             for (auto name = listed.rbegin(); name != listed.rend(); ++name) {
                 lines.push_back("File : " + s.WApp() + "\\" + *name);
             }
             for (const std::string& line : AllFolders(s)) lines.push_back(line);
             return std::vector<Dialog>{Prompt(""), Report(lines)};
         },
         [](Scene& s) {
             EXPECT_TRUE(Exists(s.App() + "/a.dat"));
             EXPECT_TRUE(Exists(s.App() + "/b.dat"));
         }},
    };
}

TEST(Wine, EveryCaseShowsTheRightDialogsAndLeavesTheRightDisk) {
    fs::create_directories(kShots);
    for (const WineCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Scene scene(g_desktop->Users() + "/AppData/Local", kLocalWindows);
        c.prepare(scene);
        std::vector<Dialog> expected = c.dialogs(scene);  // before the run: some read the listing
        int status = -1;
        std::vector<Dialog> shown = scene.Run(c.arguments, c.answers, status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(shown, expected);
        c.check(scene);
    }
}

TEST(Wine, AFileRemovedWhileThePromptIsUpIsNotReported) {
    Scene scene(g_desktop->Users() + "/AppData/Local", kLocalWindows);
    scene.Write("save.dat");
    scene.Write("cache.dat");
    int status = -1;
    auto shown = scene.Run({}, {{6, scene.WApp() + "\\cache.dat", ""}, kOk}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(shown, (std::vector<Dialog>{Prompt(""), Deleted()}));
    EXPECT_FALSE(Exists(scene.Maker()));
}

// ---- the stand-in against Wine ----

std::vector<std::string> HelperLines(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {g_desktop->Helper()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess helper(g_desktop->Command(command), g_desktop->Environment());
    std::vector<std::string> lines;
    for (std::string line; helper.ReadLine(line, 30);) lines.push_back(line);
    return lines;
}

std::string HexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

TEST(Wine, TheStandInReadsIniFilesAsWineDoes) {
    using namespace std::string_literals;
    const std::string longLine = "[STATUS]\r\nUNAME=" + std::string(5000, 'L') + "\r\n";
    const struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"plain", "[STATUS]\r\nUNAME=abc\r\n"},
        {"LF only", "[STATUS]\nUNAME=abc\n"},
        {"CR only", "[STATUS]\rUNAME=abc\r"},
        {"no final newline", "[STATUS]\r\nUNAME=abc"},
        {"case of names", "[status]\r\nuname=abc\r\n"},
        {"blanks", "  [ STATUS ]  \r\n\t UNAME \t= \t a b \t\r\n"},
        {"double quotes", "[STATUS]\r\nUNAME=\"  q  \"\r\n"},
        {"single quotes", "[STATUS]\r\nUNAME='q'\r\n"},
        {"unmatched quote", "[STATUS]\r\nUNAME=\"q\r\n"},
        {"empty value", "[STATUS]\r\nUNAME=\r\n"},
        {"no equals sign", "[STATUS]\r\nUNAME\r\n"},
        {"repeated key", "[STATUS]\r\nUNAME=one\r\nUNAME=two\r\n"},
        {"repeated section, key in the second", "[STATUS]\r\nA=1\r\n[X]\r\n[STATUS]\r\nUNAME=two\r\n"},
        {"repeated section, key in both", "[STATUS]\r\nUNAME=one\r\n[X]\r\n[STATUS]\r\nUNAME=two\r\n"},
        {"commented out", "[STATUS]\r\n;UNAME=c\r\n"},
        {"comment after the value", "[STATUS]\r\nUNAME=abc ;note\r\n"},
        {"key before any section", "UNAME=abc\r\n[STATUS]\r\n"},
        {"code page 932 value", "[STATUS]\r\nUNAME=" + Cp932("ソフト") + "\r\n"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[STATUS]\r\nUNAME=\xE3\x82\xBD\r\n"},
        {"UTF-16 byte-order mark", "\xFF\xFE[\0S\0T\0A\0T\0U\0S\0]\0\r\0\n\0U\0N\0A\0M\0E\0=\0\xBD\x30\r\0\n\0"s},
        {"NUL inside the value", "[STATUS]\r\nUNAME=ab\0cd\r\n"s},
        {"NUL before the section", "\0[STATUS]\r\nUNAME=abc\r\n"s},
        {"very long line", longLine},
        {"79 bytes ending in half a character", "[STATUS]\r\nUNAME=" + std::string(78, 'z') + Cp932("ソ") + "\r\n"},
        {"empty file", ""},
    };
    TempFolder folder;
    std::vector<std::string> arguments = {"ini", "STATUS", "UNAME"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string path = folder.path() + "/case" + std::to_string(i) + ".ini";
        std::ofstream(path, std::ios::binary) << cases[i].text;
        arguments.push_back(ZForm(path));
    }
    std::vector<std::string> wine = HelperLines(arguments);
    ASSERT_EQ(wine.size(), std::size(cases));
    platform::PosixPlatform standIn;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        char value[80];
        std::memset(value, 0x7F, sizeof value);
        std::uint32_t length = standIn.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, sizeof value,
                                                                arguments[3 + i].c_str());
        std::string mine = std::to_string(length) + " " + HexOf(std::string(value, strnlen(value, sizeof value)));
        EXPECT_EQ(mine, wine[i]) << cases[i].name << " (length, then the value's bytes)";
    }
}

// The same folder, listed and then emptied by the stand-in natively and by
// the real functions under Wine; `root` receives a fresh copy each time.
void LayFolderSituations(const std::string& root) {
    fs::remove_all(root);
    fs::create_directories(root + "/sub");
    fs::create_directories(root + "/empty");
    fs::create_directories(root + "/elsewhere");
    for (const char* name : {"plain.dat", ".hidden", "readonly.dat", "sub/inner", "elsewhere/target"}) {
        std::ofstream(root + "/" + name) << "x";
    }
    chmod((root + "/readonly.dat").c_str(), 0444);
    fs::create_directory_symlink(root + "/elsewhere", root + "/dir-link");
    fs::create_symlink(root + "/elsewhere/target", root + "/file-link");
}

TEST(Wine, TheStandInListsAndRemovesAsWineDoes) {
    TempFolder folder;
    const std::string root = folder.path() + "/situations";
    const std::string z = ZForm(root);
    const std::vector<std::pair<std::string, std::string>> removals = {
        {"delete", "missing.dat"},  {"delete", "no\\such\\file"}, {"delete", "sub"},
        {"delete", "readonly.dat"}, {"delete", "plain.dat"},         {"delete", "file-link"},
        {"rmdir", "sub"},           {"rmdir", "missing"},            {"rmdir", ".hidden"},
        {"rmdir", "empty"},         {"rmdir", "dir-link"},
    };
    LayFolderSituations(root);
    std::vector<std::string> wineListing = HelperLines({"list", z + "\\*"});
    std::vector<std::string> wineResults;
    for (const auto& [operation, name] : removals) {
        std::vector<std::string> lines = HelperLines({operation, z + "\\" + name});
        wineResults.push_back(lines.empty() ? "none" : lines[0]);
    }
    std::set<std::string> wineLeft;
    for (const auto& entry : fs::recursive_directory_iterator(root)) wineLeft.insert(entry.path().string());

    LayFolderSituations(root);
    platform::PosixPlatform standIn;
    std::vector<std::string> mine;
    platform::FindData data;
    platform::SearchHandle search = standIn.FindFirstFileA((z + "\\*").c_str(), &data);
    ASSERT_NE(search, platform::InvalidSearchHandle());
    do {
        char attributes[16];
        std::snprintf(attributes, sizeof attributes, "%X", data.attributes);
        mine.push_back(HexOf(data.name) + " " + attributes);
    } while (standIn.FindNextFileA(search, &data));
    standIn.FindClose(search);
    std::sort(mine.begin(), mine.end());
    std::sort(wineListing.begin(), wineListing.end());
    auto readable = [](std::vector<std::string> lines) {
        for (std::string& line : lines) line = Unhex(line.substr(0, line.find(' '))) + line.substr(line.find(' '));
        return lines;
    };
    EXPECT_EQ(readable(mine), readable(wineListing)) << "names and attribute bits";

    for (std::size_t i = 0; i < removals.size(); ++i) {
        const auto& [operation, name] = removals[i];
        std::string path = z + "\\" + name;
        bool done = operation == "delete" ? standIn.DeleteFileA(path.c_str()) : standIn.RemoveDirectoryA(path.c_str());
        std::string result = done ? "0" : std::to_string(standIn.GetLastError());
        EXPECT_EQ(result, wineResults[i]) << operation << " " << name;
    }
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(root)) left.insert(entry.path().string());
    // A known difference: Wine follows a Unix symbolic link when it deletes,
    // so it removes the link's target and leaves the link; Windows, and the
    // stand-in, remove the link itself. A link to a file carries no sign of
    // being one under Wine, so the program cannot tell it from a file there;
    // on Windows such links carry the reparse-point bit and DeleteFileA
    // removes only the link. A link to a folder is seen (reparse point) and
    // never walked into.
    std::set<std::string> asWineLeavesIt = left;
    asWineLeavesIt.erase(root + "/elsewhere");
    asWineLeavesIt.erase(root + "/elsewhere/target");
    asWineLeavesIt.insert(root + "/file-link");
    asWineLeavesIt.insert(root + "/dir-link");
    EXPECT_EQ(asWineLeavesIt, wineLeft) << "what is left on disk";
    EXPECT_TRUE(left.count(root + "/elsewhere/target")) << "the stand-in never deletes through a link";
}

// Points the local application data folder elsewhere for one test.
class RedirectedLocalAppData {
public:
    explicit RedirectedLocalAppData(const std::string& windowsPathUtf8) {
        EXPECT_EQ(g_desktop->Wine({"reg", "add", kShellFolders, "/v", "Local AppData", "/t", "REG_EXPAND_SZ",
                                   "/d", windowsPathUtf8, "/f"}),
                  0);
    }
    ~RedirectedLocalAppData() {
        EXPECT_EQ(g_desktop->Wine({"reg", "add", kShellFolders, "/v", "Local AppData", "/t", "REG_EXPAND_SZ",
                                   "/d", "%USERPROFILE%\\AppData\\Local", "/f"}),
                  0);
    }
};

TEST(Wine, ALocalAppDataFolderEndingInA5CTrailByteGetsItsSeparator) {
    // "ソ" is 83 5C in code page 932: a byte-wise test would take its trail
    // byte for a separator and build "...ソK-ORB".
    RedirectedLocalAppData redirect("C:\\users\\player\\データソ");
    Scene scene(g_desktop->Users() + "/データソ", "C:\\users\\player\\" + Cp932("データソ"));
    scene.Write("save.dat");
    int status = -1;
    auto shown = scene.Run({}, {kYes, kOk}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(shown, (std::vector<Dialog>{Prompt(""), Deleted()}));
    EXPECT_FALSE(Exists(scene.Maker()));
    EXPECT_TRUE(fs::is_directory(g_desktop->Users() + "/データソ"));
    EXPECT_FALSE(Exists(g_desktop->Users() + "/データソK-ORB"));
}

TEST(Wine, ALocalAppDataFolderThatCannotBeHadStopsTheRun) {
    RedirectedLocalAppData redirect("Q:\\no\\such\\drive");
    Scene scene(g_desktop->Users() + "/AppData/Local", kLocalWindows);
    int status = -1;
    auto shown = scene.Run({}, {{1, "", "lookup-failed"}}, status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(shown, (std::vector<Dialog>{{g_desktop->DefaultCaption(), "CSIDL_LOCAL_APPDATA failed", "1", !kIcon}}));
    EXPECT_FALSE(Exists(scene.Maker()));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    g_desktop = new WineDesktop;
    ::testing::AddGlobalTestEnvironment(g_desktop);  // owned by gtest from here
    return RUN_ALL_TESTS();
}
