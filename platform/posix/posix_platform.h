#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/cp932.h"

namespace platform {

// The stand-in for Linux and other POSIX systems. It shows the Unix system
// to the program the way Wine does: drive Z: is the Unix root, names are
// code page 932 at the interface and UTF-8 on disk, failures carry the
// Windows error codes. Dialogs are asked on the controlling terminal.
class PosixPlatform final : public Platform {
public:
    PosixPlatform();
    ~PosixPlatform() override;

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

private:
    struct Search;

    bool Fail(std::uint32_t error);
    bool FailErrno(const std::string& unixPath);
    // Maps `path` to Unix, or fails with its Windows error.
    SearchHandle FailSearch(std::uint32_t error);
    bool Resolve(const char* path, std::string& unixPath);
    std::string ReadIniText(const std::string& unixPath);

    posix::Cp932 cp932_;
    std::uint32_t lastError_ = 0;
    std::map<SearchHandle, std::unique_ptr<Search>> searches_;
};

}  // namespace platform
