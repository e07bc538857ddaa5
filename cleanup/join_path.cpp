#include "cleanup/join_path.h"

namespace cleanup {

namespace {

// True when the last character of `text` is a single-byte '/' or '\'.
bool EndsWithSeparator(platform::Platform& os, std::string_view text) {
    std::size_t start = 0;
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size(); i += width) {
        start = i;
        bool lead = os.IsDBCSLeadByte(static_cast<unsigned char>(text[i]));
        width = lead && i + 1 < text.size() ? 2 : 1;
    }
    return width == 1 && (text[start] == '\\' || text[start] == '/');
}

}  // namespace

std::string JoinPath(platform::Platform& os, std::string_view directory, std::string_view name) {
    std::string joined;
    joined.reserve(directory.size() + 1 + name.size());
    joined.append(directory);
    if (!directory.empty() && !EndsWithSeparator(os, directory)) joined.push_back('\\');
    joined.append(name);
    return joined;
}

}  // namespace cleanup
