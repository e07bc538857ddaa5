#include <cstring>

#include "cleanup/cleanup.h"
#include "cleanup/join_path.h"

namespace cleanup {

namespace {

constexpr std::uint32_t kSavedIdSize = 80;  // the client's limit, terminator included

// Drops a double-byte character that the size limit cut in half, which
// would otherwise swallow the character shown after the ID.
void DropCutCharacter(Platform& os, std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        bool lead = os.IsDBCSLeadByte(static_cast<unsigned char>(text[i]));
        if (lead && i + 1 == text.size()) {
            text.pop_back();
            return;
        }
        i += lead ? 2 : 1;
    }
}

}  // namespace

void ReadSavedId(Platform& os, const std::string& folder, std::string& savedId) {
    char startDirectory[platform::kMaxPath] = {};
    std::uint32_t length = os.GetCurrentDirectoryA(sizeof startDirectory, startDirectory);
    // A working directory too long for the buffer comes back as the size it
    // needs, with nothing written: without it the run could not come back,
    // so it does not leave.
    if (length == 0 || length >= sizeof startDirectory) return;

    // The file name is relative on purpose: a bare "config.ini" would be
    // looked for in the Windows folder.
    if (os.SetCurrentDirectoryA(folder.c_str())) {
        char value[kSavedIdSize] = {};
        os.GetPrivateProfileStringA("STATUS", "UNAME", nullptr, value, kSavedIdSize, "./config.ini");
        savedId.assign(value, strnlen(value, sizeof value));
        DropCutCharacter(os, savedId);
    }
    os.SetCurrentDirectoryA(startDirectory);
}

void ListDataFiles(Platform& os, const std::string& folder, std::vector<std::string>& files) {
    // Every entry shares the folder and its separator; join them once.
    const std::string prefix = JoinPath(os, folder, "");
    platform::FindData entry;
    platform::SearchHandle search = os.FindFirstFileA((prefix + "*").c_str(), &entry);
    if (search == platform::InvalidSearchHandle()) return;
    do {
        // A dot covers "." and ".." and every dot-file; folders are not entered.
        if (entry.name[0] == '.' || (entry.attributes & platform::kAttributeDirectory)) continue;
        // Sized once: a string grown by appending keeps up to twice the room.
        std::size_t nameLength = strnlen(entry.name, sizeof entry.name);
        std::string path;
        path.reserve(prefix.size() + nameLength);
        path.append(prefix).append(entry.name, nameLength);
        files.push_back(std::move(path));
    } while (os.FindNextFileA(search, &entry));
    os.FindClose(search);
}

}  // namespace cleanup
