#include "tests/fake_platform.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

using platform::FindData;
using platform::SearchHandle;
using platform::WindowHandle;

namespace {

// The one search the fake hands out at a time.
SearchHandle const kSearch = reinterpret_cast<SearchHandle>(0x5EA4C4);

}  // namespace

void FakePlatform::AddEntry(const std::string& pattern, const std::string& name,
                            std::uint32_t attributes) {
    FindData entry;
    entry.attributes = attributes;
    std::memcpy(entry.name, name.c_str(), std::min(name.size() + 1, sizeof entry.name));
    listings[pattern].push_back(entry);
}

bool FakePlatform::Outcome(const char* path) {
    auto failure = failingPaths.find(path);
    if (failure == failingPaths.end()) return true;
    lastError_ = failure->second;
    return false;
}

WindowHandle FakePlatform::FindWindowA(const char* className, const char* windowName) {
    calls.push_back(std::string("FindWindowA ") + className + (windowName ? " titled" : ""));
    bool open = windowClasses.count(className) > 0;
    return open ? reinterpret_cast<WindowHandle>(0x1234) : nullptr;
}

int FakePlatform::MessageBoxA(WindowHandle owner, const char* text, const char* caption,
                              unsigned style) {
    calls.push_back(std::string("MessageBoxA") + (owner ? " owned" : ""));
    dialogs.push_back({text, caption ? std::optional<std::string>(caption) : std::nullopt, style});
    if (dialogAnswers.empty()) {
        return (style & 0x0F) == platform::kMbYesNo ? platform::kIdNo : platform::kIdOk;
    }
    int answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

bool FakePlatform::SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl, bool create) {
    calls.push_back("SHGetSpecialFolderPathA " + std::to_string(csidl) + (create ? " create" : "") +
                    (owner ? " owned" : ""));
    if (!localAppData) return false;
    const std::string& folder = *localAppData;
    std::memcpy(path, folder.c_str(), folder.size() + 1);
    return true;
}

bool FakePlatform::CreateDirectoryA(const char* path, void* securityAttributes) {
    calls.push_back(std::string("CreateDirectoryA ") + path + (securityAttributes ? " secured" : ""));
    return Outcome(path);
}

std::uint32_t FakePlatform::GetCurrentDirectoryA(std::uint32_t size, char* buffer) {
    calls.push_back("GetCurrentDirectoryA " + std::to_string(size));
    if (currentDirectoryResult) return *currentDirectoryResult;
    if (currentDirectory.size() + 1 > size) return static_cast<std::uint32_t>(currentDirectory.size() + 1);
    std::memcpy(buffer, currentDirectory.c_str(), currentDirectory.size() + 1);
    return static_cast<std::uint32_t>(currentDirectory.size());
}

bool FakePlatform::SetCurrentDirectoryA(const char* path) {
    calls.push_back(std::string("SetCurrentDirectoryA ") + path);
    if (!Outcome(path)) return false;
    currentDirectory = path;
    return true;
}

std::uint32_t FakePlatform::GetPrivateProfileStringA(const char* section, const char* key,
                                                     const char* defaultValue, char* buffer,
                                                     std::uint32_t size, const char* fileName) {
    calls.push_back(std::string("GetPrivateProfileStringA ") + section + " " + key + " " +
                    std::to_string(size) + " " + fileName + (defaultValue ? " defaulted" : ""));
    std::string value;
    auto found = profileValues.find(currentDirectory + "|" + section + "|" + key);
    if (found != profileValues.end()) value = found->second;
    if (size == 0) return 0;
    std::size_t length = std::min<std::size_t>(value.size(), size - 1);  // cut as Windows cuts
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

SearchHandle FakePlatform::FindFirstFileA(const char* pattern, FindData* data) {
    calls.push_back(std::string("FindFirstFileA ") + pattern);
    auto listing = listings.find(pattern);
    if (!Outcome(pattern) || listing == listings.end() || listing->second.empty()) {
        if (listing == listings.end()) lastError_ = platform::kErrorPathNotFound;
        return platform::InvalidSearchHandle();
    }
    search_ = &listing->second;
    searchNext_ = 1;
    *data = listing->second.front();
    return kSearch;
}

bool FakePlatform::FindNextFileA(SearchHandle search, FindData* data) {
    calls.push_back("FindNextFileA");
    if (search != kSearch || !search_ || searchNext_ >= search_->size()) return false;
    *data = (*search_)[searchNext_++];
    return true;
}

bool FakePlatform::FindClose(SearchHandle search) {
    calls.push_back("FindClose");
    bool open = search == kSearch && search_;
    search_ = nullptr;
    return open;
}

bool FakePlatform::DeleteFileA(const char* path) {
    calls.push_back(std::string("DeleteFileA ") + path);
    return Outcome(path);
}

bool FakePlatform::RemoveDirectoryA(const char* path) {
    calls.push_back(std::string("RemoveDirectoryA ") + path);
    return Outcome(path);
}

std::uint32_t FakePlatform::GetLastError() {
    calls.push_back("GetLastError");
    return lastError_;
}

bool FakePlatform::IsDBCSLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace testing_support
