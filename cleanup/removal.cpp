#include "cleanup/cleanup.h"
#include "cleanup/texts.h"

namespace cleanup {

namespace {

void AddLine(std::string& report, const char* kind, const std::string& path) {
    report.append(kind).append(path).append("\r\n");
}

// True when a folder of the chain is a junction or symbolic link. Its files
// then live in some other folder, which is not the client's to lose, so none
// is deleted. Checked just before deleting: the folders may have changed
// while the question was up. A folder that cannot be looked at is not known
// to be a link; deleting in it fails on its own if it is not there.
bool ChainHasLink(Platform& os, const std::vector<std::string>& chain) {
    for (const std::string& folder : chain) {
        platform::FindData entry;
        platform::SearchHandle search = os.FindFirstFileA(folder.c_str(), &entry);
        if (search == platform::InvalidSearchHandle()) continue;
        os.FindClose(search);
        if (entry.attributes & platform::kAttributeReparsePoint) return true;
    }
    return false;
}

}  // namespace

void RemoveAndReport(Platform& os, std::vector<std::string>& files,
                     std::vector<std::string>& chain, std::string& report) {
    report.clear();
    const bool linked = !files.empty() && ChainHasLink(os, chain);
    // Each path is tried once, nothing is retried and no attribute changed.
    for (; !files.empty(); files.pop_back()) {
        const std::string& file = files.back();
        // A file that is already gone is what the user wanted.
        if (linked || (!os.DeleteFileA(file.c_str()) && os.GetLastError() != platform::kErrorFileNotFound)) {
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
