#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace cleanup {

// `directory`, a backslash unless it is empty or already ends in a separator,
// then `name`. The last character is found with double-byte awareness, so the
// 0x5C trail byte of a character such as "ソ" (83 5C) is not a separator.
std::string JoinPath(platform::Platform& os, std::string_view directory, std::string_view name);

}  // namespace cleanup
