// The inventory, the prompt and the removal pass over the scripted platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "cleanup/cleanup.h"
#include "cleanup/texts.h"
#include "tests/encoding.h"
#include "tests/fake_platform.h"

namespace {

using testing_support::Cp932;
using testing_support::FakePlatform;
using testing_support::Utf8;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kLocal = "C:\\L";
const std::string kMaker = kLocal + "\\K-ORB";
const std::string kClient = kMaker + "\\zelkor";
const std::string kApp = kClient + "\\app";

// ---- ReadSavedId ----

TEST(ReadSavedId, ReadsUnameFromTheRelativeConfigAndComesBack) {
    FakePlatform os;
    os.profileValues[kApp + "|STATUS|UNAME"] = "abc";
    std::string id;
    cleanup::ReadSavedId(os, kApp, id);
    EXPECT_EQ(id, "abc");
    EXPECT_THAT(os.calls, ElementsAre("GetCurrentDirectoryA 260", "SetCurrentDirectoryA " + kApp,
                                      "GetPrivateProfileStringA STATUS UNAME 80 ./config.ini",
                                      "SetCurrentDirectoryA C:\\start"));
    EXPECT_EQ(os.currentDirectory, "C:\\start");
}

TEST(ReadSavedId, KeepsTheIdEmptyAndTheDirectoryIntactOnFailure) {
    const struct Case {
        const char* label;
        std::optional<std::uint32_t> currentDirectoryResult;
        bool folderFails;
        std::vector<std::string> calls;
    } cases[] = {
        {"working directory unreadable", 0, false, {"GetCurrentDirectoryA 260"}},
        // Too long for the buffer: the result is the size needed and nothing
        // was written, so there would be nothing to come back to.
        {"working directory too long", 300, false, {"GetCurrentDirectoryA 260"}},
        {"folder cannot be entered",
         std::nullopt,
         true,
         {"GetCurrentDirectoryA 260", "SetCurrentDirectoryA " + kApp, "SetCurrentDirectoryA C:\\start"}},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.currentDirectoryResult = c.currentDirectoryResult;
        if (c.folderFails) os.failingPaths[kApp] = platform::kErrorPathNotFound;
        os.profileValues[kApp + "|STATUS|UNAME"] = "abc";
        std::string id;
        cleanup::ReadSavedId(os, kApp, id);
        EXPECT_EQ(id, "") << c.label;
        EXPECT_EQ(os.calls, c.calls) << c.label;
    }
}

TEST(ReadSavedId, CutsLongValuesToWholeCharacters) {
    const struct Case {
        const char* label;
        std::string value;
        std::string id;
    } cases[] = {
        {"100 bytes", std::string(100, 'x'), std::string(79, 'x')},
        {"exactly 79", std::string(79, 'y'), std::string(79, 'y')},
        // 78 bytes, then "ソ" (83 5C): the limit keeps only its lead byte,
        // which would swallow the closing bracket on screen.
        {"cut in a double-byte character", std::string(78, 'z') + "\x83\x5C", std::string(78, 'z')},
        {"double-byte character ending at 79", std::string(77, 'w') + "\x83\x5C" + "tail",
         std::string(77, 'w') + "\x83\x5C"},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.profileValues[kApp + "|STATUS|UNAME"] = c.value;
        std::string id;
        cleanup::ReadSavedId(os, kApp, id);
        EXPECT_EQ(id, c.id) << c.label;
    }
}

// ---- ListDataFiles ----

TEST(ListDataFiles, ListsPlainFilesByFullPathInTheSearchOrder) {
    using platform::kAttributeArchive;
    FakePlatform os;
    const std::string pattern = kApp + "\\*";
    os.AddEntry(pattern, ".", platform::kAttributeDirectory);
    os.AddEntry(pattern, "..", platform::kAttributeDirectory);
    os.AddEntry(pattern, "config.ini", kAttributeArchive);
    os.AddEntry(pattern, ".lock", kAttributeArchive | platform::kAttributeHidden);
    os.AddEntry(pattern, "replays", platform::kAttributeDirectory);
    os.AddEntry(pattern, "hidden.dat", platform::kAttributeHidden);
    os.AddEntry(pattern, "readonly.dat", platform::kAttributeReadOnly | kAttributeArchive);
    os.AddEntry(pattern, "\x83\x5C.dat", kAttributeArchive);
    std::vector<std::string> files;
    cleanup::ListDataFiles(os, kApp, files);
    EXPECT_THAT(files, ElementsAre(kApp + "\\config.ini", kApp + "\\hidden.dat", kApp + "\\readonly.dat",
                                   kApp + "\\\x83\x5C.dat"));
    EXPECT_EQ(os.calls.front(), "FindFirstFileA " + pattern);
    EXPECT_EQ(os.calls.back(), "FindClose");
}

TEST(ListDataFiles, UnsearchableFolderGivesAnEmptyList) {
    FakePlatform os;  // no listing scripted: the search fails
    std::vector<std::string> files;
    cleanup::ListDataFiles(os, kApp, files);
    EXPECT_THAT(files, IsEmpty());
    EXPECT_THAT(os.calls, ElementsAre("FindFirstFileA " + kApp + "\\*")) << "no handle, nothing to close";
}

// ---- ComposePrompt and the question ----

const std::string kPromptTail = "- IDなどの入力情報は削除されます\r\n"
                                "- IDをメモ帳などにバックアップしてください\r\n"
                                "- ダウンロードした牌譜は削除されません\r\n"
                                "- Flash版の情報は削除されません\r\n"
                                "\r\n"
                                "よろしいですか？";

TEST(ComposePrompt, IsTheNinePiecesWithTheIdWhenKnown) {
    const std::string intro = "Windows版Zelkorが使用しているファイルを全て削除します。\r\n\r\n";
    const struct Case {
        const char* label;
        std::string id;  // code page 932
        std::string expected;
    } cases[] = {
        {"with an ID", "abc", Cp932(intro + "前回のID入力情報 : 【abc】\r\n\r\n" + kPromptTail)},
        {"without an ID", "", Cp932(intro + kPromptTail)},
        {"ID inserted byte for byte", "\x83\x5C%s\\n", Cp932(intro + "前回のID入力情報 : 【ソ%s\\n】\r\n\r\n" + kPromptTail)},
        {"79-byte ID", std::string(79, 'x'),
         Cp932(intro + "前回のID入力情報 : 【" + std::string(79, 'x') + "】\r\n\r\n" + kPromptTail)},
    };
    for (const Case& c : cases) {
        std::string text = "left over from before";
        cleanup::ComposePrompt(c.id, text);
        EXPECT_EQ(text, c.expected) << c.label << "\n" << Utf8(text);
    }
}

TEST(Prompt, OnlyYesLeadsToTheRemovalPass) {
    const struct Case {
        const char* label;
        int answer;
        bool removes;
    } cases[] = {
        {"Yes", platform::kIdYes, true},
        {"No", platform::kIdNo, false},
        {"not shown (Windows)", 0, false},
        {"not shown (Wine)", -1, false},
        {"OK, which the box does not offer", platform::kIdOk, false},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.localAppData = kLocal;
        os.AddEntry(kApp + "\\*", "save.dat", platform::kAttributeArchive);
        os.profileValues[kApp + "|STATUS|UNAME"] = "abc";
        os.dialogAnswers = {c.answer};
        EXPECT_EQ(cleanup::RunCleanup(os), 0) << c.label;
        ASSERT_GE(os.dialogs.size(), 1u);
        const testing_support::Dialog& prompt = os.dialogs[0];
        EXPECT_EQ(prompt.caption, std::string(cleanup::kDialogTitle));
        EXPECT_EQ(prompt.style, 0x44u) << "Yes/No with the information icon";
        EXPECT_NE(prompt.text.find("\x81y" "abc" "\x81z"), std::string::npos) << c.label;
        bool deleted = std::count(os.calls.begin(), os.calls.end(), "DeleteFileA " + kApp + "\\save.dat");
        EXPECT_EQ(deleted, c.removes) << c.label;
        EXPECT_EQ(os.dialogs.size(), c.removes ? 2u : 1u) << c.label;
    }
}

// ---- RemoveAndReport ----

TEST(RemoveAndReport, TriesEveryPathOnceAndReportsWhatStayed) {
    const std::string a = kApp + "\\a.dat";
    const std::string b = kApp + "\\b.dat";
    const std::string allFolders = "Directory : " + kApp + "\r\nDirectory : " + kClient +
                                   "\r\nDirectory : " + kMaker + "\r\n";
    const std::map<std::string, std::uint32_t> foldersStay = {
        {kApp, platform::kErrorDirNotEmpty},
        {kClient, platform::kErrorDirNotEmpty},
        {kMaker, platform::kErrorDirNotEmpty}};
    auto with = [](std::map<std::string, std::uint32_t> failures,
                   std::map<std::string, std::uint32_t> more) {
        failures.insert(more.begin(), more.end());
        return failures;
    };
    const struct Case {
        const char* label;
        std::map<std::string, std::uint32_t> failures;
        std::optional<std::string> report;  // UTF-8 before the closing text; nullopt: success
    } cases[] = {
        {"all removed", {}, std::nullopt},
        {"a file gone before the pass", {{b, platform::kErrorFileNotFound}}, std::nullopt},
        {"a file that cannot be deleted",
         with(foldersStay, {{a, platform::kErrorAccessDenied}}),
         "File : " + a + "\r\n" + allFolders},
        {"two files, last listed first",
         with(foldersStay, {{a, platform::kErrorSharingViolation}, {b, platform::kErrorAccessDenied}}),
         "File : " + b + "\r\nFile : " + a + "\r\n" + allFolders},
        {"a missing folder on the way", {{a, platform::kErrorPathNotFound}}, "File : " + a + "\r\n"},
        {"a folder that will not go", foldersStay, allFolders},
        {"something else in the maker folder",
         {{kMaker, platform::kErrorDirNotEmpty}},
         "Directory : " + kMaker + "\r\n"},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.failingPaths = c.failures;
        std::vector<std::string> files = {a, b};
        std::vector<std::string> chain = {kMaker, kClient, kApp};
        std::string text = "the prompt";
        cleanup::RemoveAndReport(os, files, chain, text);
        EXPECT_THAT(files, IsEmpty());
        EXPECT_THAT(chain, IsEmpty());

        std::vector<std::string> tried;  // the removals, without the look at the folders
        for (const std::string& call : os.calls) {
            if (call != "GetLastError" && call.rfind("Find", 0) != 0) tried.push_back(call);
        }
        EXPECT_THAT(tried, ElementsAre("DeleteFileA " + b, "DeleteFileA " + a, "RemoveDirectoryA " + kApp,
                                       "RemoveDirectoryA " + kClient, "RemoveDirectoryA " + kMaker,
                                       "MessageBoxA"))
            << c.label;
        ASSERT_EQ(os.dialogs.size(), 1u);
        const testing_support::Dialog& shown = os.dialogs[0];
        EXPECT_EQ(shown.caption, std::string(cleanup::kDialogTitle)) << c.label;
        EXPECT_EQ(shown.style, platform::kMbOk) << c.label;
        std::string expected = c.report ? Cp932(*c.report + "以上の情報が削除できませんでした。")
                                        : Cp932("削除しました");
        EXPECT_EQ(shown.text, expected) << c.label << "\n" << Utf8(shown.text);
    }
}

TEST(RemoveAndReport, DeletesNothingThroughAFolderThatIsALink) {
    // The application data folder (or a folder above it) is a junction or
    // symbolic link: its files belong to another folder. They are reported
    // as left; the folders are still tried (removing a link removes the link).
    for (const std::string& linked : {kMaker, kClient, kApp}) {
        FakePlatform os;
        for (const std::string& folder : {kMaker, kClient, kApp}) {
            std::uint32_t attributes = platform::kAttributeDirectory;
            if (folder == linked) attributes |= platform::kAttributeReparsePoint;
            os.AddEntry(folder, folder.substr(folder.rfind('\\') + 1), attributes);
        }
        std::vector<std::string> files = {kApp + "\\a", kApp + "\\b"};
        std::vector<std::string> chain = {kMaker, kClient, kApp};
        std::string text;
        cleanup::RemoveAndReport(os, files, chain, text);
        EXPECT_EQ(std::count_if(os.calls.begin(), os.calls.end(),
                                [](const std::string& call) { return call.rfind("DeleteFileA", 0) == 0; }),
                  0)
            << linked;
        EXPECT_EQ(Utf8(text), "File : " + kApp + "\\b\r\nFile : " + kApp + "\\a\r\n以上の情報が削除できませんでした。")
            << linked;
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "RemoveDirectoryA " + kApp), 1) << linked;
    }
}

TEST(RemoveAndReport, ReadsTheErrorOnlyAfterAFailedDeletion) {
    FakePlatform os;
    os.failingPaths[kApp + "\\a"] = platform::kErrorAccessDenied;
    os.failingPaths[kApp] = platform::kErrorDirNotEmpty;
    std::vector<std::string> files = {kApp + "\\a", kApp + "\\b"};
    std::vector<std::string> chain = {kMaker, kClient, kApp};
    std::string text;
    cleanup::RemoveAndReport(os, files, chain, text);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "GetLastError"), 1);
}

}  // namespace
