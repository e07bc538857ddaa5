#include "platform/posix/desktop.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::posix {

namespace {

// The folder, created when missing; empty when it is not ours to trust.
std::string PreparedDesktop() {
    std::string folder = DesktopFolder();
    mkdir(folder.c_str(), 0700);
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
        return {};
    }
    return folder;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string DesktopFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/zelkor-standin-desktop";
    return "/tmp/zelkor-standin-desktop-" + std::to_string(getuid());
}

long FindDesktopWindow(const char* className, const char* title) {
    std::string folder = PreparedDesktop();
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!dir) return 0;
    long found = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // ".", ".." and files still being written
        int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            unlinkat(dirfd(dir), entry->d_name, 0);  // its owner has died
            close(fd);
            continue;
        }
        char content[1024];
        ssize_t size = read(fd, content, sizeof content);
        close(fd);
        std::string_view text(content, size > 0 ? static_cast<std::size_t>(size) : 0);
        std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) continue;
        bool match = (!className || EqualsIgnoringCase(text.substr(0, newline), className)) &&
                     (!title || EqualsIgnoringCase(text.substr(newline + 1), title));
        if (match) {
            found = std::strtol(entry->d_name, nullptr, 10);
            break;
        }
    }
    closedir(dir);
    return found;
}

std::string OpenDesktopWindow(std::string_view className, std::string_view title) {
    std::string folder = PreparedDesktop();
    if (folder.empty()) return {};
    // Written and locked under a dot name, then renamed into view, so that a
    // reader never takes a window in the making for one whose owner died.
    std::string name = std::to_string(getpid());
    std::string draft = folder + "/." + name;
    int fd = open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return {};
    std::string content = std::string(className) + "\n" + std::string(title);
    bool ready = flock(fd, LOCK_EX) == 0 &&
                 write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
                 rename(draft.c_str(), (folder + "/" + name).c_str()) == 0;
    if (!ready) {
        unlink(draft.c_str());
        close(fd);
        return {};
    }
    // The descriptor stays open for the life of the process: it holds the lock.
    // cppcheck-suppress resourceLeak
    return folder + "/" + name;
}

}  // namespace platform::posix
