// Process entry of the stand-in build: arguments are ignored, as on Windows.
#include <clocale>
#include <cstdio>
#include <exception>

#include "cleanup/cleanup.h"
#include "platform/posix/posix_platform.h"

int main() {
    std::setlocale(LC_ALL, "");  // the terminal's character set, for the dialogs
    try {
        platform::PosixPlatform os;
        return cleanup::RunCleanup(os);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelkor-cleanup: %s\n", error.what());
        return 70;  // EX_SOFTWARE
    }
}
