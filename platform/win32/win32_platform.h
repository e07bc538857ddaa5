#pragma once

#include "platform/platform.h"

namespace platform {

// The real Windows API, ANSI forms; every operation passes straight through.
class Win32Platform final : public Platform {
public:
    WindowHandle FindWindowA(const char* className, const char* windowName) override;
    int MessageBoxA(WindowHandle owner, const char* text, const char* caption,
                    unsigned style) override;
    bool SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl, bool create) override;
    bool CreateDirectoryA(const char* path, void* securityAttributes) override;
    std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) override;
    bool SetCurrentDirectoryA(const char* path) override;
    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultValue, char* buffer,
                                           std::uint32_t size, const char* fileName) override;
    SearchHandle FindFirstFileA(const char* pattern, FindData* data) override;
    bool FindNextFileA(SearchHandle search, FindData* data) override;
    bool FindClose(SearchHandle search) override;
    bool DeleteFileA(const char* path) override;
    bool RemoveDirectoryA(const char* path) override;
    std::uint32_t GetLastError() override;
    bool IsDBCSLeadByte(unsigned char byte) override;
};

}  // namespace platform
