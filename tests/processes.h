// Child processes for the tests that run built programs: the program under
// test on a pseudo-terminal, as a person would use it, and a stand-in client.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

// A program running on its own pseudo-terminal, which is its controlling
// terminal. The environment is exactly `environment` ("NAME=value").
class PtySession {
public:
    PtySession(const std::vector<std::string>& command, const std::vector<std::string>& environment);
    ~PtySession();
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    // Reads until the screen so far holds `needle`; false after `seconds`.
    bool WaitFor(const std::string& needle, double seconds = 10);
    void Type(const std::string& keys);
    // The exit status, or -1 when it has not ended after `seconds` (it is then killed).
    int WaitForExit(double seconds = 10);

    const std::string& Screen() const { return screen_; }

private:
    bool ReadSome(double seconds);

    pid_t pid_ = -1;
    int master_ = -1;
    std::string screen_;
};

// A program with pipes on its standard input and output. When destroyed its
// input is closed, and it is killed if it has not ended within five seconds. The environment is exactly `environment`.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output, without the newline; false at its end or after `seconds`.
    bool ReadLine(std::string& line, double seconds = 60);
    void CloseInput();
    // The exit status, or -1 when it has not ended after `seconds`.
    int WaitForExit(double seconds = 60);
    void Kill(int signal);  // and wait for it to end

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string pending_;
};

// standin-client CLASS TITLE, running until it is stopped or destroyed.
class StandinClient {
public:
    StandinClient(const std::string& className, const std::string& title,
                  const std::vector<std::string>& environment);

    bool Ready() const { return ready_; }
    void Kill(int signal) { process_.Kill(signal); }

private:
    ChildProcess process_;
    bool ready_ = false;
};

// A private temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The Z: form of a Unix path whose names are ASCII: Z:\dir\file.
std::string ZForm(const std::string& unixPath);

// Sets an environment variable for the life of the object, then puts back
// what was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_;
    std::string old_;
};

// Where the build put its programs.
std::string BuiltProgram(const std::string& name);

// The command that runs the built `name`, behind the words of
// $ZELKOR_TEST_WRAPPER when it is set (valgrind, for one).
std::vector<std::string> ProgramCommand(const std::string& name);

}  // namespace testing_support
