// A modal message box on the controlling terminal.
#pragma once

#include <string>

namespace platform::posix {

// Shows `caption` and `text` (UTF-8) in the terminal's character set, then
// asks for one of the buttons of `style` until a valid answer comes: Enter
// for OK (1); y/yes or n/no, in any case, then Enter for Yes (6) or No (7).
// Returns 0 when there is no terminal or its input ends: not shown.
int AskOnTerminal(const std::string& caption, const std::string& text, unsigned style);

}  // namespace platform::posix
