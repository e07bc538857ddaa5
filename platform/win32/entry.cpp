// Process entry of the Windows program: the start-up arguments are ignored.
#include <windows.h>

#include "cleanup/cleanup.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::Win32Platform os;
    return cleanup::RunCleanup(os);
}
