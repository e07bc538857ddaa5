#include "tests/faulty_platform.h"

namespace testing_support {

using platform::kErrorAccessDenied;

bool FaultyPlatform::Fault(std::uint32_t error) {
    long call = calls++;
    bool fails = faultsPersist ? firstFault >= 0 && call >= firstFault : call == firstFault;
    injected_ = fails;
    if (fails) {
        ++faults;
        error_ = error;
    }
    return fails;
}

platform::WindowHandle FaultyPlatform::FindWindowA(const char* className, const char* windowName) {
    if (Fault(1400)) return nullptr;  // ERROR_INVALID_WINDOW_HANDLE: no window found
    return inner_.FindWindowA(className, windowName);
}

int FaultyPlatform::MessageBoxA(platform::WindowHandle, const char* text, const char*, unsigned style) {
    dialogTexts.emplace_back(text ? text : "");
    if (Fault(1400)) return 0;  // the box could not be shown
    bool yesNo = (style & 0x0F) == platform::kMbYesNo;
    if (yesNo && whilePromptIsUp) whilePromptIsUp();
    if (yesNo) proceeded = promptAnswer_ == platform::kIdYes;
    return yesNo ? promptAnswer_ : platform::kIdOk;
}

bool FaultyPlatform::SHGetSpecialFolderPathA(platform::WindowHandle owner, char* path, int csidl,
                                             bool create) {
    if (Fault(kErrorAccessDenied)) {
        lookupFailed = true;
        return false;
    }
    return inner_.SHGetSpecialFolderPathA(owner, path, csidl, create);
}

bool FaultyPlatform::CreateDirectoryA(const char* path, void* securityAttributes) {
    return !Fault(kErrorAccessDenied) && inner_.CreateDirectoryA(path, securityAttributes);
}

std::uint32_t FaultyPlatform::GetCurrentDirectoryA(std::uint32_t size, char* buffer) {
    return Fault(kErrorAccessDenied) ? 0 : inner_.GetCurrentDirectoryA(size, buffer);
}

bool FaultyPlatform::SetCurrentDirectoryA(const char* path) {
    return !Fault(kErrorAccessDenied) && inner_.SetCurrentDirectoryA(path);
}

std::uint32_t FaultyPlatform::GetPrivateProfileStringA(const char* section, const char* key,
                                                       const char* defaultValue, char* buffer,
                                                       std::uint32_t size, const char* fileName) {
    if (Fault(platform::kErrorSharingViolation)) {  // unreadable: the default comes back
        if (size > 0) buffer[0] = '\0';
        return 0;
    }
    return inner_.GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

platform::SearchHandle FaultyPlatform::FindFirstFileA(const char* pattern, platform::FindData* data) {
    if (Fault(kErrorAccessDenied)) return platform::InvalidSearchHandle();
    platform::SearchHandle search = inner_.FindFirstFileA(pattern, data);
    if (search != platform::InvalidSearchHandle()) listedNames.emplace_back(data->name);
    return search;
}

bool FaultyPlatform::FindNextFileA(platform::SearchHandle search, platform::FindData* data) {
    if (Fault(kErrorAccessDenied)) return false;  // the listing breaks off
    if (!inner_.FindNextFileA(search, data)) return false;
    listedNames.emplace_back(data->name);
    return true;
}

bool FaultyPlatform::FindClose(platform::SearchHandle search) {
    bool closed = inner_.FindClose(search);  // released either way
    return !Fault(platform::kErrorInvalidName) && closed;
}

bool FaultyPlatform::DeleteFileA(const char* path) {
    return !Fault(kErrorAccessDenied) && inner_.DeleteFileA(path);
}

bool FaultyPlatform::RemoveDirectoryA(const char* path) {
    return !Fault(kErrorAccessDenied) && inner_.RemoveDirectoryA(path);
}

std::uint32_t FaultyPlatform::GetLastError() {
    return injected_ ? error_ : inner_.GetLastError();
}

bool FaultyPlatform::IsDBCSLeadByte(unsigned char byte) {
    return inner_.IsDBCSLeadByte(byte);
}

}  // namespace testing_support
