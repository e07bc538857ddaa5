// The stand-in's "top-level windows": each stand-in client process that
// shows a window holds an exclusive lock on one small file in the desktop
// folder. The lock dies with the process, however it ends, so a window
// counts only while its owner lives; files of dead owners are swept away.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// $XDG_RUNTIME_DIR/zelkor-standin-desktop, or a per-user folder under /tmp.
std::string DesktopFolder();

// The pid of a live process showing a window of `className` (compared
// without regard to ASCII case) whose title is `title` (any title when
// null), or 0 when there is none.
long FindDesktopWindow(const char* className, const char* title);

// Opens a window of `className` titled `title` for this process, which
// stays until the process ends or unlinks the returned file. Empty on failure.
std::string OpenDesktopWindow(std::string_view className, std::string_view title);

}  // namespace platform::posix
