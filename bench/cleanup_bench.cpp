// make bench: the inventory and the removal pass of a whole run, driven
// in-process through the stand-in platform with a dialog that answers Yes at
// once, against the tools people would use instead: find -delete with three
// rmdir, and rm -rf. Prints figures; passes or fails nothing.
//
//   cleanup_bench [ROOT]          the table, working under ROOT (a folder on the disk to measure)
//   cleanup_bench --one-run HOME  one whole run with XDG_DATA_HOME=HOME (for memory and strace)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cleanup/cleanup.h"
#include "platform/posix/posix_platform.h"
#include "tests/faulty_platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The client's data folder under `home` with `count` small files and config.ini.
void Lay(const fs::path& home, long count) {
    fs::remove_all(home);
    fs::path app = home / "K-ORB" / "zelkor" / "app";
    fs::create_directories(app);
    std::ofstream(app / "config.ini") << "[STATUS]\r\nUNAME=bench-player\r\n";
    char name[32];
    for (long i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "file%06ld.dat", i);
        std::ofstream(app / name) << "sixteen bytes..\n";
    }
}

struct Phases {
    double inventory = 0;
    double removal = 0;
    std::size_t pathBytes = 0;
};

// One run in this process, its stages timed apart; the dialogs answer at once.
Phases RunInProcess(const fs::path& home) {
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    platform::PosixPlatform standIn;
    testing_support::FaultyPlatform os(standIn, platform::kIdYes);  // no faults: it only answers
    cleanup::RunState run;
    char folder[platform::kMaxPath] = {};
    Phases phases;
    auto start = Clock::now();
    if (!os.SHGetSpecialFolderPathA(nullptr, folder, platform::kCsidlLocalAppData, true)) std::abort();
    run.path = folder;
    cleanup::PrepareDataChain(os, run.path, run.directoryChain);
    cleanup::ReadSavedId(os, run.path, run.savedId);
    cleanup::ListDataFiles(os, run.path, run.fileList);
    phases.inventory = Seconds(start);
    for (const std::string& path : run.fileList) phases.pathBytes += path.size();
    cleanup::ComposePrompt(run.savedId, run.text);
    if (!cleanup::AskToProceed(os, run.text)) std::abort();
    start = Clock::now();
    cleanup::RemoveAndReport(os, run.fileList, run.directoryChain, run.text);
    phases.removal = Seconds(start);
    if (fs::exists(home / "K-ORB")) std::abort();  // it must really have done the job
    return phases;
}

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

double TimeShell(const std::string& command) {
    auto start = Clock::now();
    if (Shell(command) != 0) std::abort();
    return Seconds(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// This process's peak resident memory (KiB), from the kernel's high-water mark.
long OwnPeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Peak resident memory (KiB) of one whole run in a fresh process of its own.
// (A child's rusage would count the parent's memory it was forked from.)
long PeakMemoryKiB(const std::string& self, const fs::path& home) {
    FILE* child = popen((self + " --one-run " + home.string()).c_str(), "r");
    long peak = -1;
    if (child && std::fscanf(child, "%ld", &peak) != 1) peak = -1;
    if (child) pclose(child);
    return peak;
}

// System calls made by `command`, counted by strace -c; -1 without strace.
long CountSyscalls(const std::string& command, const fs::path& scratch) {
    std::string out = (scratch / "strace.txt").string();
    if (Shell("strace -f -c -o " + out + " " + command + " >/dev/null 2>&1") != 0) return -1;
    std::ifstream in(out);
    long total = -1;
    for (std::string line; std::getline(in, line);) {
        if (line.find(" total") != std::string::npos) {
            // "100.00    0.012345     1     123456      789 total": the calls column
            std::vector<std::string> words;
            std::size_t start = 0;
            while ((start = line.find_first_not_of(' ', start)) != std::string::npos) {
                std::size_t end = line.find(' ', start);
                words.push_back(line.substr(start, end - start));
                start = end;
            }
            if (words.size() >= 5) total = std::stol(words[words.size() - (words.size() == 6 ? 3 : 2)]);
        }
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--one-run") {
        RunInProcess(argv[2]);
        std::printf("%ld\n", OwnPeakKiB());
        return 0;
    }
    fs::path root = argc > 1 ? fs::path(argv[1]) : fs::current_path() / "bench-data";
    fs::create_directories(root);
    root = fs::canonical(root);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path home = root / "home";
    const std::string maker = (home / "K-ORB").string();
    const std::string app = maker + "/zelkor/app";
    const std::string findDelete = "find " + app + " -maxdepth 1 -type f -delete && rmdir " + app + " " + maker +
                                   "/zelkor " + maker;
    const std::string rmRf = "rm -rf " + maker;

    std::printf("zelkor-cleanup benchmark: %s, %ld cores; files of 16 bytes under %s\n",
                "stand-in platform, in-process run answering Yes at once", sysconf(_SC_NPROCESSORS_ONLN),
                root.c_str());
    std::printf("%8s | %12s %12s %12s | %12s %12s | %7s %7s | %10s %10s | %9s %9s\n", "files", "inventory",
                "removal", "run total", "find+rmdir", "rm -rf", "rm/best", "run/best", "peak RSS", "path bytes",
                "sys/file", "find/file");
    for (long count : {1000L, 10000L, 100000L}) {
        int rounds = count >= 100000 ? 3 : 5;
        std::vector<double> inventory, removal, total, find, rm;
        std::size_t pathBytes = 0;
        for (int r = 0; r < rounds; ++r) {  // alternately, so that drift hits all alike
            Lay(home, count);
            Shell("sync");
            Phases phases = RunInProcess(home);
            inventory.push_back(phases.inventory);
            removal.push_back(phases.removal);
            total.push_back(phases.inventory + phases.removal);
            pathBytes = phases.pathBytes;
            Lay(home, count);
            Shell("sync");
            find.push_back(TimeShell(findDelete));
            Lay(home, count);
            Shell("sync");
            rm.push_back(TimeShell(rmRf));
        }
        double best = std::min(Median(find), Median(rm));
        Lay(home, count);
        long peak = PeakMemoryKiB(self, home);
        Lay(home, count);
        long ours = CountSyscalls(self + " --one-run " + home.string(), root);
        Lay(home, count);
        long theirs = CountSyscalls("sh -c '" + findDelete + "'", root);
        std::printf("%8ld | %10.1fms %10.1fms %10.1fms | %10.1fms %10.1fms | %7.2f %7.2f | %7ld KiB %6zu KiB | %9.2f %9.2f\n",
                    count, Median(inventory) * 1e3, Median(removal) * 1e3, Median(total) * 1e3, Median(find) * 1e3,
                    Median(rm) * 1e3, Median(removal) / best, Median(total) / best, peak, pathBytes / 1024,
                    ours < 0 ? -1.0 : static_cast<double>(ours) / static_cast<double>(count),
                    theirs < 0 ? -1.0 : static_cast<double>(theirs) / static_cast<double>(count));
        std::fflush(stdout);
    }
    fs::remove_all(root);
    return 0;
}
