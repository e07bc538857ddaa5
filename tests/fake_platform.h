// A scripted platform for unit tests: results are set per call and per
// path, and every call is recorded, so a test can check the exact sequence
// of operations a stage performs.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace testing_support {

struct Dialog {
    std::string text;
    std::optional<std::string> caption;  // nullopt: no caption of its own
    unsigned style;
};

class FakePlatform : public platform::Platform {
public:
    // --- script ---
    std::set<std::string> windowClasses;     // classes with an open top-level window
    std::deque<int> dialogAnswers;           // next results of MessageBoxA; when empty,
                                             // OK boxes answer OK and Yes/No boxes No
    std::optional<std::string> localAppData = std::string("C:\\Users\\me\\AppData\\Local");
    std::map<std::string, std::uint32_t> failingPaths;  // path -> error of any operation on it
    std::string currentDirectory = "C:\\start";
    std::optional<std::uint32_t> currentDirectoryResult;  // set: GetCurrentDirectoryA returns it, writing nothing
    std::map<std::string, std::string> profileValues;  // "folder|section|key" -> value
    std::map<std::string, std::vector<platform::FindData>> listings;  // pattern -> entries

    // --- record ---
    std::vector<std::string> calls;  // "Operation argument", in order
    std::vector<Dialog> dialogs;

    // Adds an entry to the listing of `pattern`.
    void AddEntry(const std::string& pattern, const std::string& name, std::uint32_t attributes);

    platform::WindowHandle FindWindowA(const char* className, const char* windowName) override;
    int MessageBoxA(platform::WindowHandle owner, const char* text, const char* caption,
                    unsigned style) override;
    bool SHGetSpecialFolderPathA(platform::WindowHandle owner, char* path, int csidl,
                                 bool create) override;
    bool CreateDirectoryA(const char* path, void* securityAttributes) override;
    std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) override;
    bool SetCurrentDirectoryA(const char* path) override;
    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultValue, char* buffer,
                                           std::uint32_t size, const char* fileName) override;
    platform::SearchHandle FindFirstFileA(const char* pattern, platform::FindData* data) override;
    bool FindNextFileA(platform::SearchHandle search, platform::FindData* data) override;
    bool FindClose(platform::SearchHandle search) override;
    bool DeleteFileA(const char* path) override;
    bool RemoveDirectoryA(const char* path) override;
    std::uint32_t GetLastError() override;
    bool IsDBCSLeadByte(unsigned char byte) override;

private:
    bool Outcome(const char* path);  // false, with the error set, for a failing path

    std::uint32_t lastError_ = 0;
    const std::vector<platform::FindData>* search_ = nullptr;
    std::size_t searchNext_ = 0;
};

}  // namespace testing_support
