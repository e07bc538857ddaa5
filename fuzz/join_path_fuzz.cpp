// JoinPath on arbitrary bytes: the first byte splits the rest into directory
// and name. The result is the directory, at most one backslash, the name;
// the backslash is there exactly when the directory is not empty and does
// not end in a single-byte separator.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cleanup/join_path.h"
#include "tests/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t split = data[0] % (rest.size() + 1);
    std::string directory = rest.substr(0, split);
    std::string name = rest.substr(split);
    testing_support::FakePlatform os;
    std::string joined = cleanup::JoinPath(os, directory, name);

    if (joined.compare(0, directory.size(), directory) != 0) std::abort();
    if (joined.size() < name.size() || joined.compare(joined.size() - name.size(), name.size(), name) != 0) {
        std::abort();
    }
    std::size_t added = joined.size() - directory.size() - name.size();
    if (added > 1 || (added == 1 && joined[directory.size()] != '\\')) std::abort();
    // Walk the directory by characters to find whether it ends in a separator.
    std::size_t last = 0;
    std::size_t width = 0;
    for (std::size_t i = 0; i < directory.size(); i += width) {
        last = i;
        width = os.IsDBCSLeadByte(static_cast<unsigned char>(directory[i])) && i + 1 < directory.size() ? 2 : 1;
    }
    bool endsInSeparator = width == 1 && (directory[last] == '\\' || directory[last] == '/');
    bool wanted = !directory.empty() && !endsInSeparator;
    if ((added == 1) != wanted) std::abort();
    return 0;
}
