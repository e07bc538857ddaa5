#include "cleanup/cleanup.h"
#include "cleanup/texts.h"

namespace cleanup {

namespace {

void AddLine(std::string& report, const char* kind, const std::string& path) {
    report.append(kind).append(path).append("\r\n");
}

}  // namespace

void RemoveAndReport(Platform& os, std::vector<std::string>& files,
                     std::vector<std::string>& chain, std::string& report) {
    report.clear();
    // Each path is tried once, nothing is retried and no attribute changed.
    for (; !files.empty(); files.pop_back()) {
        const std::string& file = files.back();
        // A file that is already gone is what the user wanted.
        if (!os.DeleteFileA(file.c_str()) && os.GetLastError() != platform::kErrorFileNotFound) {
            AddLine(report, kReportFile, file);
        }
    }
    // Innermost first: a folder left behind keeps its parent from going too.
    for (; !chain.empty(); chain.pop_back()) {
        if (!os.RemoveDirectoryA(chain.back().c_str())) AddLine(report, kReportDirectory, chain.back());
    }

    if (!report.empty()) {
        report.append(kReportClosing);
        os.MessageBoxA(nullptr, report.c_str(), kDialogTitle, platform::kMbOk);
    } else {
        os.MessageBoxA(nullptr, kDeletedText, kDialogTitle, platform::kMbOk);
    }
}

}  // namespace cleanup
