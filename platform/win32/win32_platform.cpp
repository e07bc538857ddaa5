#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace platform {

namespace {

void CopyFindData(const WIN32_FIND_DATAA& found, FindData* data) {
    data->attributes = found.dwFileAttributes;
    static_assert(sizeof data->name == sizeof found.cFileName, "find record names differ in size");
    std::memcpy(data->name, found.cFileName, sizeof data->name);
}

}  // namespace

WindowHandle Win32Platform::FindWindowA(const char* className, const char* windowName) {
    return ::FindWindowA(className, windowName);
}

int Win32Platform::MessageBoxA(WindowHandle owner, const char* text, const char* caption,
                               unsigned style) {
    return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

bool Win32Platform::SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl,
                                            bool create) {
    return ::SHGetSpecialFolderPathA(static_cast<HWND>(owner), path, csidl, create) != FALSE;
}

bool Win32Platform::CreateDirectoryA(const char* path, void* securityAttributes) {
    return ::CreateDirectoryA(path, static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes)) != FALSE;
}

std::uint32_t Win32Platform::GetCurrentDirectoryA(std::uint32_t size, char* buffer) {
    return ::GetCurrentDirectoryA(size, buffer);
}

bool Win32Platform::SetCurrentDirectoryA(const char* path) {
    return ::SetCurrentDirectoryA(path) != FALSE;
}

std::uint32_t Win32Platform::GetPrivateProfileStringA(const char* section, const char* key,
                                                      const char* defaultValue, char* buffer,
                                                      std::uint32_t size, const char* fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

SearchHandle Win32Platform::FindFirstFileA(const char* pattern, FindData* data) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) CopyFindData(found, data);
    return search;
}

bool Win32Platform::FindNextFileA(SearchHandle search, FindData* data) {
    WIN32_FIND_DATAA found;
    if (!::FindNextFileA(search, &found)) return false;
    CopyFindData(found, data);
    return true;
}

bool Win32Platform::FindClose(SearchHandle search) {
    return ::FindClose(search) != FALSE;
}

bool Win32Platform::DeleteFileA(const char* path) {
    return ::DeleteFileA(path) != FALSE;
}

bool Win32Platform::RemoveDirectoryA(const char* path) {
    return ::RemoveDirectoryA(path) != FALSE;
}

std::uint32_t Win32Platform::GetLastError() {
    return ::GetLastError();
}

bool Win32Platform::IsDBCSLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace platform
