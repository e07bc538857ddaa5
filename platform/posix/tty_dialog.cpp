#include "platform/posix/tty_dialog.h"

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix/cp932.h"

namespace platform::posix {

namespace {

// UTF-8 to the terminal's character set; what it cannot show becomes '?'.
std::string ForTerminal(const std::string& utf8) {
    const char* charset = nl_langinfo(CODESET);
    if (std::strcmp(charset, "UTF-8") == 0) return utf8;
    std::string shown = Recode(utf8, "UTF-8", charset, true);
    return shown.empty() ? utf8 : shown;
}

// Windows line breaks become the terminal's.
std::string WithNewlines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// One line from the terminal, without its newline; false at end of input.
bool ReadLine(int fd, std::string& line) {
    line.clear();
    for (;;) {
        char c;
        ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n' || c == '\r') return true;
        line.push_back(c);
    }
}

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

}  // namespace

int AskOnTerminal(const std::string& caption, const std::string& text, unsigned style) {
    int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return 0;
    bool yesNo = (style & 0x0F) == kMbYesNo;
    bool information = (style & 0xF0) == kMbIconInformation;
    std::string box = "\n=== " + std::string(information ? "(i) " : "") + caption + " ===\n" +
                      WithNewlines(text) + "\n";
    const char* buttons = yesNo ? "[Yes/No] " : "[OK] ";
    int answer = 0;
    bool shown = WriteAll(tty, ForTerminal(box));
    std::string line;
    while (shown && answer == 0 && WriteAll(tty, buttons) && ReadLine(tty, line)) {
        std::string said = Lowered(line);
        if (!yesNo && said.empty()) answer = kIdOk;
        if (yesNo && (said == "y" || said == "yes")) answer = kIdYes;
        if (yesNo && (said == "n" || said == "no")) answer = kIdNo;
    }
    close(tty);
    return answer;
}

}  // namespace platform::posix
