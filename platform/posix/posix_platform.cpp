#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/posix/desktop.h"
#include "platform/posix/ini_file.h"
#include "platform/posix/tty_dialog.h"

namespace platform {

namespace {

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorDirectory = 267;  // "the directory name is invalid"

// Index just past the last single-byte separator of a code-page-932 path.
std::size_t NameStart(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (posix::Cp932::IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/') {
            start = i + 1;
        }
    }
    return start;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Windows wildcard match: '*' any run, '?' one character; ASCII case ignored.
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        std::size_t width =
            posix::Cp932::IsLeadByte(static_cast<unsigned char>(name[n])) && n + 1 < name.size() ? 2 : 1;
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += width;
        } else if (p + width <= pattern.size() &&
                   (width == 1 ? Lower(pattern[p]) == Lower(name[n])
                               : pattern.compare(p, 2, name.substr(n, 2)) == 0)) {
            p += width;
            n += width;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::uint32_t AttributesOf(int dirFd, const char* name) {
    struct stat info;
    if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return kAttributeArchive;
    bool directory = S_ISDIR(info.st_mode);
    bool link = false;
    if (S_ISLNK(info.st_mode)) {  // a link to a folder is a folder and a reparse point, as Wine shows it
        struct stat target;
        directory = fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        link = directory;
    }
    std::uint32_t attributes = directory ? kAttributeDirectory : kAttributeArchive;
    if (link) attributes |= kAttributeReparsePoint;
    if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= kAttributeReadOnly;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
        attributes |= kAttributeHidden;  // Wine hides dot files
    }
    return attributes;
}

// mkdir -p, each new level private to the user.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

// A search's results, held compactly: a folder can have very many entries.
struct PosixPlatform::Search {
    struct Entry {
        std::uint32_t offset;  // of the name in `names`
        std::uint32_t attributes;
    };
    std::string names;  // every name, each ended by a NUL
    std::vector<Entry> entries;
    std::size_t next = 0;

    void Add(const std::string& name, std::uint32_t attributes) {
        entries.push_back({static_cast<std::uint32_t>(names.size()), attributes});
        names.append(name.c_str(), name.size() + 1);
    }
    const char* Name(const Entry& entry) const { return names.c_str() + entry.offset; }

    bool Fill(FindData* data) {
        if (next >= entries.size()) return false;
        const Entry& entry = entries[next++];
        data->attributes = entry.attributes;
        std::memcpy(data->name, Name(entry), std::strlen(Name(entry)) + 1);
        return true;
    }
};

PosixPlatform::PosixPlatform() = default;
PosixPlatform::~PosixPlatform() = default;

bool PosixPlatform::Fail(std::uint32_t error) {
    lastError_ = error;
    return false;
}

bool PosixPlatform::FailErrno(const std::string& unixPath) {
    return Fail(posix::ErrorFromErrno(errno, unixPath));
}

SearchHandle PosixPlatform::FailSearch(std::uint32_t error) {
    lastError_ = error;
    return InvalidSearchHandle();
}

bool PosixPlatform::Resolve(const char* path, std::string& unixPath) {
    std::uint32_t error = 0;
    if (!path) return Fail(kErrorInvalidName);
    return cp932_.ToUnixPath(path, unixPath, error) || Fail(error);
}

WindowHandle PosixPlatform::FindWindowA(const char* className, const char* windowName) {
    long owner = posix::FindDesktopWindow(className, windowName);
    return owner ? reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(owner)) : nullptr;
}

int PosixPlatform::MessageBoxA(WindowHandle, const char* text, const char* caption,
                               unsigned style) {
    std::string shownCaption = caption ? cp932_.ToUtf8Lossy(caption) : "Error";
    return posix::AskOnTerminal(shownCaption, cp932_.ToUtf8Lossy(text ? text : ""), style);
}

bool PosixPlatform::SHGetSpecialFolderPathA(WindowHandle, char* path, int csidl, bool create) {
    if (csidl != kCsidlLocalAppData) return Fail(kErrorFileNotFound);
    // The XDG home for per-user data plays the part of the local application data folder.
    std::string folder;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && dataHome[0] == '/') {
        folder = dataHome;
    } else if (home && home[0] == '/') {
        folder = std::string(home) + "/.local/share";
    } else {
        return Fail(kErrorPathNotFound);
    }
    struct stat info;
    bool exists = stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (!exists && !(create && MakeFolders(folder))) return Fail(kErrorPathNotFound);
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved)) return FailErrno(folder);
    std::string windows = cp932_.ToWindowsPath(resolved);
    if (windows.size() >= kMaxPath) return Fail(kErrorFilenameExcedRange);
    std::memcpy(path, windows.c_str(), windows.size() + 1);
    return true;
}

bool PosixPlatform::CreateDirectoryA(const char* path, void*) {
    std::string unixPath;
    if (!Resolve(path, unixPath)) return false;
    if (mkdir(unixPath.c_str(), 0777) != 0) return FailErrno(unixPath);
    return true;
}

std::uint32_t PosixPlatform::GetCurrentDirectoryA(std::uint32_t size, char* buffer) {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        FailErrno(".");
        return 0;
    }
    std::string windows = cp932_.ToWindowsPath(cwd);
    auto length = static_cast<std::uint32_t>(windows.size());
    if (length + 1 > size) return length + 1;  // the size needed; nothing written
    std::memcpy(buffer, windows.c_str(), windows.size() + 1);
    return length;
}

bool PosixPlatform::SetCurrentDirectoryA(const char* path) {
    std::string unixPath;
    if (!Resolve(path, unixPath)) return false;
    if (chdir(unixPath.c_str()) == 0) return true;
    return errno == ENOTDIR ? Fail(kErrorDirectory) : FailErrno(unixPath);
}

std::string PosixPlatform::ReadIniText(const std::string& unixPath) {
    std::ifstream file(unixPath, std::ios::binary);
    std::ostringstream bytes;
    if (!(file && bytes << file.rdbuf())) return {};
    std::string text = bytes.str();
    // A byte-order mark makes the file Unicode; without one it is ANSI.
    auto startsWith = [&text](const char* mark) { return text.rfind(mark, 0) == 0; };
    if (startsWith("\xEF\xBB\xBF")) return cp932_.FromUtf8Lossy(text.substr(3));
    for (const char* charset : {"UTF-16LE", "UTF-16BE"}) {
        bool little = charset[6] == 'L';
        if (!startsWith(little ? "\xFF\xFE" : "\xFE\xFF")) continue;
        // Read up to the first unit that is not UTF-16.
        return cp932_.FromUtf8Lossy(posix::Recode(std::string_view(text).substr(2), charset, "UTF-8", false));
    }
    return text;
}

std::uint32_t PosixPlatform::GetPrivateProfileStringA(const char* section, const char* key,
                                                      const char* defaultValue, char* buffer,
                                                      std::uint32_t size, const char* fileName) {
    if (size == 0) return 0;
    std::string value = defaultValue ? defaultValue : "";
    std::string unixPath;
    // A bare file name means the Windows folder, which the stand-in has not.
    bool hasFolder = fileName && NameStart(fileName) > 0;
    if (section && key && hasFolder && Resolve(fileName, unixPath)) {
        if (auto found = posix::FindIniValue(ReadIniText(unixPath), section, key)) value = *found;
    }
    value.resize(strnlen(value.c_str(), value.size()));  // text ends at a NUL byte
    if (value.size() < size) {
        std::memcpy(buffer, value.c_str(), value.size() + 1);
        return static_cast<std::uint32_t>(value.size());
    }
    // Cut to size - 1 bytes as Wine cuts: whole characters only, the byte a
    // split character would take left as it was, and size - 1 returned.
    std::size_t whole = 0;
    while (whole < size - 1) {
        std::size_t width = posix::Cp932::IsLeadByte(static_cast<unsigned char>(value[whole])) ? 2 : 1;
        if (whole + width > size - 1) break;
        whole += width;
    }
    std::memcpy(buffer, value.data(), whole);
    buffer[size - 1] = '\0';
    return size - 1;
}

SearchHandle PosixPlatform::FindFirstFileA(const char* pattern, FindData* data) {
    if (!pattern) return FailSearch(kErrorInvalidName);
    std::string_view whole(pattern);
    std::size_t nameStart = NameStart(whole);
    std::string_view namePattern = whole.substr(nameStart);
    std::string folder;
    if (namePattern.empty()) return FailSearch(kErrorFileNotFound);
    if (!Resolve(std::string(whole.substr(0, nameStart)).c_str(), folder)) {
        return InvalidSearchHandle();
    }
    for (char c : namePattern) {
        if (c != '*' && c != '?' && std::strchr("<>:\"|", c)) {
            return FailSearch(kErrorInvalidName);
        }
    }

    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        bool missing = errno == ENOENT || errno == ENOTDIR;
        return FailSearch(missing ? kErrorPathNotFound : posix::ErrorFromErrno(errno, folder));
    }
    auto search = std::make_unique<Search>();
    while (dirent* entry = readdir(dir)) {
        std::string name = cp932_.NameFromDisk(entry->d_name);
        if (name.size() >= kMaxPath) name = "?";
        if (!Matches(namePattern, name)) continue;
        search->Add(name, AttributesOf(dirfd(dir), entry->d_name));
    }
    closedir(dir);
    // "." and ".." first, then by name, so that every run lists alike.
    const Search& found = *search;
    auto rank = [](const char* name) { return std::strcmp(name, ".") == 0 ? 0 : std::strcmp(name, "..") == 0 ? 1 : 2; };
    std::sort(search->entries.begin(), search->entries.end(),
              [&found, &rank](const Search::Entry& a, const Search::Entry& b) {
                  const char* x = found.Name(a);
                  const char* y = found.Name(b);
                  return rank(x) != rank(y) ? rank(x) < rank(y) : std::strcmp(x, y) < 0;
              });
    if (!search->Fill(data)) return FailSearch(kErrorFileNotFound);
    SearchHandle handle = search.get();
    searches_.emplace(handle, std::move(search));
    return handle;
}

bool PosixPlatform::FindNextFileA(SearchHandle search, FindData* data) {
    auto found = searches_.find(search);
    if (found == searches_.end()) return Fail(kErrorInvalidHandle);
    return found->second->Fill(data) || Fail(kErrorNoMoreFiles);
}

bool PosixPlatform::FindClose(SearchHandle search) {
    return searches_.erase(search) == 1 || Fail(kErrorInvalidHandle);
}

bool PosixPlatform::DeleteFileA(const char* path) {
    std::string unixPath;
    if (!Resolve(path, unixPath)) return false;
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0) return FailErrno(unixPath);
    if (S_ISDIR(info.st_mode)) return Fail(kErrorAccessDenied);
    // A file without write permission is read-only, and Windows will not
    // delete a read-only file. A link is removed itself, never its target.
    if (!S_ISLNK(info.st_mode) && !(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
        return Fail(kErrorAccessDenied);
    }
    if (unlink(unixPath.c_str()) != 0) return FailErrno(unixPath);
    return true;
}

bool PosixPlatform::RemoveDirectoryA(const char* path) {
    std::string unixPath;
    if (!Resolve(path, unixPath)) return false;
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0) return FailErrno(unixPath);
    if (S_ISLNK(info.st_mode)) {  // a link to a folder goes itself; its target stays
        struct stat target;
        bool toFolder = stat(unixPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        if (!toFolder) return Fail(kErrorDirectory);
        return unlink(unixPath.c_str()) == 0 || FailErrno(unixPath);
    }
    if (!S_ISDIR(info.st_mode)) return Fail(kErrorDirectory);
    if (rmdir(unixPath.c_str()) != 0) {
        return errno == EEXIST ? Fail(kErrorDirNotEmpty) : FailErrno(unixPath);
    }
    return true;
}

std::uint32_t PosixPlatform::GetLastError() {
    return lastError_;
}

bool PosixPlatform::IsDBCSLeadByte(unsigned char byte) {
    return posix::Cp932::IsLeadByte(byte);
}

}  // namespace platform
