// standin-client CLASS [TITLE]: plays the game client for the stand-in
// build by keeping one top-level window of CLASS open until it is ended,
// by a signal or by the end of its standard input. It prints "ready" once
// the window can be found.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/posix/desktop.h"

namespace {

void Ignore(int) {}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: standin-client CLASS [TITLE]\n");
        return 64;  // EX_USAGE
    }
    // A handler without SA_RESTART ends the wait below with EINTR, so the
    // window is closed on the way out. A killed client leaves a file whose
    // lock has died with it; the next lookup sweeps it away.
    struct sigaction action = {};
    action.sa_handler = Ignore;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaction(signal, &action, nullptr);

    std::string window = platform::posix::OpenDesktopWindow(argv[1], argc == 3 ? argv[2] : "");
    if (window.empty()) {
        std::perror("standin-client: cannot open its window");
        return 71;  // EX_OSERR
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[256];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    unlink(window.c_str());
    return 0;
}
