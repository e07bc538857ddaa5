#include "tests/processes.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

[[noreturn]] void Exec(std::vector<std::string> command, std::vector<std::string> environment) {
    std::vector<char*> argv = Pointers(command);
    std::vector<char*> envp = Pointers(environment);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

int ExitStatus(int raw) {
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

}  // namespace

PtySession::PtySession(const std::vector<std::string>& command,
                       const std::vector<std::string>& environment) {
    struct winsize size = {};
    size.ws_row = 40;
    size.ws_col = 160;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) Exec(command, environment);
}

PtySession::~PtySession() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
}

bool PtySession::ReadSome(double seconds) {
    struct pollfd ready = {master_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO once the program has ended
    screen_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool PtySession::WaitFor(const std::string& needle, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (screen_.find(needle) == std::string::npos) {
        double left = std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !ReadSome(left)) return screen_.find(needle) != std::string::npos;
    }
    return true;
}

void PtySession::Type(const std::string& keys) {
    if (write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
        throw std::runtime_error("cannot type on the pseudo-terminal");
    }
}

int PtySession::WaitForExit(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int raw = 0;
        pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            while (ReadSome(0.05)) {
            }
            return ExitStatus(raw);
        }
        if (std::chrono::steady_clock::now() > deadline) return -1;  // the destructor kills it
        if (!ReadSome(0.05)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& command,
                           const std::vector<std::string>& environment) {
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        Exec(command, environment);
    }
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
}

ChildProcess::~ChildProcess() {
    CloseInput();  // most helpers end with their input
    if (WaitForExit(5) < 0) Kill(SIGKILL);
    if (output_ >= 0) close(output_);
}

bool ChildProcess::ReadLine(std::string& line, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            line = pending_.substr(0, newline);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            pending_.erase(0, newline + 1);
            return true;
        }
        double left = std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        struct pollfd ready = {output_, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left * 1000) + 1) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(output_, buffer, sizeof buffer);
        if (n <= 0) return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

void ChildProcess::CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

int ChildProcess::WaitForExit(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (pid_ > 0) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            pid_ = -1;
            return ExitStatus(raw);
        }
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

void ChildProcess::Kill(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

StandinClient::StandinClient(const std::string& className, const std::string& title,
                             const std::vector<std::string>& environment)
    : process_({BuiltProgram("standin-client"), className, title}, environment) {
    std::string line;
    ready_ = process_.ReadLine(line, 10) && line == "ready";
}

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && base[0] == '/' ? base : "/tmp") + "/zelkor-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    nftw(
        path_.c_str(),
        [](const char* path, const struct stat*, int type, struct FTW*) {
            if (type == FTW_DP) {
                rmdir(path);
            } else {
                unlink(path);
            }
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

std::string ZForm(const std::string& unixPath) {
    std::string windows = "Z:" + unixPath;
    for (char& c : windows) c = c == '/' ? '\\' : c;
    return windows;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    old_ = old ? old : "";
    setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (had_) {
        setenv(name_, old_.c_str(), 1);
    } else {
        unsetenv(name_);
    }
}

std::string BuiltProgram(const std::string& name) {
    return std::string(TEST_BUILD_DIR) + "/" + name;
}

std::vector<std::string> ProgramCommand(const std::string& name) {
    std::vector<std::string> command;
    const char* wrapper = std::getenv("ZELKOR_TEST_WRAPPER");
    std::string words = wrapper ? wrapper : "";
    for (std::size_t start = 0; start < words.size();) {
        std::size_t end = words.find(' ', start);
        if (end == std::string::npos) end = words.size();
        if (end > start) command.push_back(words.substr(start, end - start));
        start = end + 1;
    }
    command.push_back(BuiltProgram(name));
    return command;
}

}  // namespace testing_support
