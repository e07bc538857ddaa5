// The Windows operations the cleanup run needs, behind one interface.
//
// Each operation keeps the name, arguments and result convention of the
// ANSI Windows function it stands for, so the Win32 backend is a plain
// pass-through and the cleanup code reads like the Windows program it is.
// Strings are byte strings in the ANSI code page (932 on Japanese Windows).
// Backends: win32/ (the real API), posix/ (a stand-in that shows a Unix
// system the way Wine does), and the test fake under tests/.
#pragma once

#include <cstdint>

namespace platform {

using WindowHandle = void*;
using SearchHandle = void*;

// FindFirstFileA's failure value: all bits set, as on Windows.
inline SearchHandle InvalidSearchHandle() {
    return reinterpret_cast<SearchHandle>(~std::uintptr_t{0});
}

constexpr unsigned kMaxPath = 260;  // MAX_PATH, terminator included

// Message box styles and results.
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

constexpr int kCsidlLocalAppData = 0x1C;

// File attribute bits, as FindFirstFileA reports them.
constexpr std::uint32_t kAttributeReadOnly = 0x01;
constexpr std::uint32_t kAttributeHidden = 0x02;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeArchive = 0x20;
constexpr std::uint32_t kAttributeReparsePoint = 0x400;  // a junction or symbolic link

// Windows error codes that the code and its tests speak of.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorDirNotEmpty = 145;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorFilenameExcedRange = 206;

// The part of WIN32_FIND_DATAA that callers use.
struct FindData {
    std::uint32_t attributes = 0;
    char name[kMaxPath] = {};
};

class Platform {
public:
    virtual ~Platform() = default;

    // Window lookup and dialogs (user32).
    virtual WindowHandle FindWindowA(const char* className, const char* windowName) = 0;
    virtual int MessageBoxA(WindowHandle owner, const char* text, const char* caption,
                            unsigned style) = 0;

    // Special folders (shell32). `path` holds kMaxPath bytes.
    virtual bool SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl,
                                         bool create) = 0;

    // Folders, working directory, settings files and file search (kernel32).
    virtual bool CreateDirectoryA(const char* path, void* securityAttributes) = 0;
    virtual std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) = 0;
    virtual bool SetCurrentDirectoryA(const char* path) = 0;
    virtual std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                                   const char* defaultValue, char* buffer,
                                                   std::uint32_t size,
                                                   const char* fileName) = 0;
    virtual SearchHandle FindFirstFileA(const char* pattern, FindData* data) = 0;
    virtual bool FindNextFileA(SearchHandle search, FindData* data) = 0;
    virtual bool FindClose(SearchHandle search) = 0;
    virtual bool DeleteFileA(const char* path) = 0;
    virtual bool RemoveDirectoryA(const char* path) = 0;
    virtual std::uint32_t GetLastError() = 0;

    // True when `byte` opens a double-byte character in the ANSI code page.
    virtual bool IsDBCSLeadByte(unsigned char byte) = 0;
};

}  // namespace platform
