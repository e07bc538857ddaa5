// A decorator over a platform that makes chosen calls fail the way Windows
// fails them, and answers the dialogs itself. Calls are numbered from 0 in
// the order the run makes them; the lead-byte test and GetLastError, which
// cannot fail, are not counted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace testing_support {

class FaultyPlatform : public platform::Platform {
public:
    FaultyPlatform(platform::Platform& inner, int promptAnswer) : inner_(inner), promptAnswer_(promptAnswer) {}

    // The call that fails first (-1: none), and whether every later one fails too.
    long firstFault = -1;
    bool faultsPersist = false;
    // Runs while the confirmation question is up, as another program might.
    std::function<void()> whilePromptIsUp;

    // What the run did.
    long calls = 0;
    long faults = 0;
    bool lookupFailed = false;            // the local application data folder was refused
    bool proceeded = false;               // the prompt was answered Yes
    std::vector<std::string> dialogTexts;  // every box's text, shown or not
    std::vector<std::string> listedNames;  // what the file search handed over

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
    // True when this call is to fail; it then sets the error the caller reads.
    bool Fault(std::uint32_t error);

    platform::Platform& inner_;
    int promptAnswer_;
    bool injected_ = false;  // the last failure was made here, not by `inner_`
    std::uint32_t error_ = 0;
};

}  // namespace testing_support
