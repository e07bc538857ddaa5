#include <cstring>

#include "cleanup/cleanup.h"
#include "cleanup/texts.h"

namespace cleanup {

namespace {

// The client's top-level windows. Only the class is compared, never the title.
constexpr char kClientMainClass[] = "WC_ZELKOR_WIN_APP_MAIN";
constexpr char kClientUpdaterClass[] = "WC_ZELKOR_WIN_APP_UPDATE";

}  // namespace

bool ClientIsRunning(Platform& os) {
    return os.FindWindowA(kClientMainClass, nullptr) != nullptr ||
           os.FindWindowA(kClientUpdaterClass, nullptr) != nullptr;
}

int RunCleanup(Platform& os) {
    if (ClientIsRunning(os)) {
        int answer = os.MessageBoxA(nullptr, kClientRunningText, kDialogTitle, platform::kMbOk);
        // A box that could not be shown (0 on Windows, -1 on Wine) must not
        // turn a refused run into a successful one.
        return answer > 0 ? answer : kExitClientRunning;
    }

    char folder[platform::kMaxPath] = {};
    if (!os.SHGetSpecialFolderPathA(nullptr, folder, platform::kCsidlLocalAppData, true)) {
        os.MessageBoxA(nullptr, kLookupFailedText, nullptr, platform::kMbOk);
        return kExitNoDataFolder;
    }

    RunState run;
    run.path.assign(folder, strnlen(folder, sizeof folder));
    PrepareDataChain(os, run.path, run.directoryChain);
    ReadSavedId(os, run.path, run.savedId);
    ListDataFiles(os, run.path, run.fileList);
    ComposePrompt(run.savedId, run.text);
    if (!AskToProceed(os, run.text)) return kExitDone;
    RemoveAndReport(os, run.fileList, run.directoryChain, run.text);
    return kExitDone;
}

}  // namespace cleanup
