#include "cleanup/cleanup.h"
#include "cleanup/texts.h"

namespace cleanup {

void ComposePrompt(const std::string& savedId, std::string& text) {
    text.assign(kPromptIntro).append("\r\n");
    if (!savedId.empty()) text.append(kPromptIdOpen).append(savedId).append(kPromptIdClose);
    text.append(kPromptIdDeleted)
        .append(kPromptBackUpId)
        .append(kPromptRecordsKept)
        .append(kPromptFlashKept)
        .append("\r\n")
        .append(kPromptQuestion);
}

bool AskToProceed(Platform& os, const std::string& text) {
    // Anything but Yes, a box that could not be shown included, is a No.
    unsigned style = platform::kMbYesNo | platform::kMbIconInformation;
    return os.MessageBoxA(nullptr, text.c_str(), kDialogTitle, style) == platform::kIdYes;
}

}  // namespace cleanup
