// Reading one value from the text of a Windows initialisation file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The value of `key` in the first section named `section`, read the way
// Windows reads it: names compared without regard to ASCII case, blanks
// around names and values trimmed, one pair of matching quotes removed from
// the value, and a line without '=' taken as a key with an empty value.
// Lines end at LF, CR LF or CR. `text` is in the ANSI code page.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

}  // namespace platform::posix
