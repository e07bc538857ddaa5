// Every platform call of a whole run made to fail in turn, over the stand-in
// on a real data folder: whatever fails, the run must end with the right
// status, touch nothing outside the client's folders, leave no listed file
// unreported, and say "deleted" only when the folders are gone.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "cleanup/cleanup.h"
#include "cleanup/texts.h"
#include "platform/posix/posix_platform.h"
#include "tests/faulty_platform.h"
#include "tests/processes.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FaultyPlatform;

struct Scenario {
    const char* name;
    int answer;
    std::vector<std::string> files;  // under the application data folder; "/" ends a folder
    std::vector<std::string> makerExtras;
};

const Scenario kScenarios[] = {
    {"declined", platform::kIdNo, {"config.ini", "a.dat"}, {}},
    {"accepted with files", platform::kIdYes, {"config.ini", "a.dat", "b.dat"}, {}},
    {"accepted with leftovers", platform::kIdYes, {"a.dat", ".dot", "sub/inner.dat"}, {"other.txt"}},
};

// Every file under `root` but the client's folders, with its content.
std::map<std::string, std::string> Outside(const fs::path& root, const fs::path& maker) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == maker) {
            it.disable_recursion_pending();
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        files[it->path().string()] = it->is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {}) : "/";
    }
    return files;
}

std::string ZForm(const fs::path& path) {
    return testing_support::ZForm(path.string());
}

class FaultInjection : public ::testing::Test {
protected:
    void Lay(const Scenario& scenario) {
        fs::remove_all(temp_.path() + "/data");
        fs::create_directories(app_);
        std::ofstream(data_ / "neighbour.txt") << "not the client's";
        for (const std::string& file : scenario.files) {
            fs::create_directories((app_ / file).parent_path());
            std::ofstream(app_ / file) << (file == "config.ini" ? "[STATUS]\nUNAME=abc\n" : "x");
        }
        for (const std::string& file : scenario.makerExtras) std::ofstream(maker_ / file) << "y";
    }

    // One run with the given faults; checks what must hold whatever failed.
    long Run(const Scenario& scenario, long firstFault, bool persist) {
        Lay(scenario);
        auto outsideBefore = Outside(temp_.path(), maker_);
        std::string cwdBefore = fs::current_path().string();
        platform::PosixPlatform standIn;
        FaultyPlatform os(standIn, scenario.answer);
        os.firstFault = firstFault;
        os.faultsPersist = persist;
        int status = cleanup::RunCleanup(os);

        std::string trace = std::string(scenario.name) + ", fault from call " + std::to_string(firstFault) +
                            (persist ? " on" : " only");
        EXPECT_EQ(status, os.lookupFailed ? cleanup::kExitNoDataFolder : cleanup::kExitDone) << trace;
        EXPECT_EQ(Outside(temp_.path(), maker_), outsideBefore) << trace;
        // Restoring the working directory is itself a call that can fail; it
        // must come back whenever nothing failed.
        if (firstFault < 0) {
            EXPECT_EQ(fs::current_path().string(), cwdBefore) << trace;
        }
        fs::current_path(cwdBefore);

        std::string report = os.proceeded && !os.dialogTexts.empty() ? os.dialogTexts.back() : "";
        for (const std::string& text : os.dialogTexts) {
            if (text == cleanup::kDeletedText) {
                EXPECT_FALSE(fs::exists(maker_)) << trace << ": deleted, it said";
            }
        }
        if (os.proceeded && fs::exists(app_)) {
            for (const auto& entry : fs::directory_iterator(app_)) {
                std::string name = entry.path().filename().string();
                // The run lists the plain files whose names do not begin with a dot.
                bool listed = name[0] != '.' &&
                              std::count(os.listedNames.begin(), os.listedNames.end(), name) > 0;
                if (!entry.is_regular_file() || !listed) continue;
                EXPECT_NE(report.find("File : " + ZForm(entry.path()) + "\r\n"), std::string::npos)
                    << trace << ": " << name << " is still there and not reported";
            }
        }
        if (os.proceeded) {
            for (const fs::path& folder : {app_, client_, maker_}) {
                if (!fs::exists(folder)) continue;
                EXPECT_NE(report.find("Directory : " + ZForm(folder) + "\r\n"), std::string::npos)
                    << trace << ": " << folder << " is still there and not reported";
            }
        }
        faults_ += os.faults;
        ++runs_;
        return os.calls;
    }

    testing_support::TempFolder temp_;
    fs::path data_ = temp_.path() + "/data";
    fs::path maker_ = data_ / "K-ORB";
    fs::path client_ = maker_ / "zelkor";
    fs::path app_ = client_ / "app";
    testing_support::ScopedEnvironment dataHome_{"XDG_DATA_HOME", data_.string()};
    long runs_ = 0;
    long faults_ = 0;
};

TEST_F(FaultInjection, EveryCallFailingInTurnLeavesATruthfulRun) {
    for (const Scenario& scenario : kScenarios) {
        long calls = Run(scenario, -1, false);
        for (long k = 0; k < calls; ++k) {
            Run(scenario, k, false);
            Run(scenario, k, true);
        }
    }
    std::cout << "fault injection: " << runs_ << " runs, " << faults_ << " injected faults\n";
    EXPECT_GT(faults_, 0);
}

}  // namespace
