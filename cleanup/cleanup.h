// The cleanup run: one straight pass from the entry point to the exit
// status, in stages that each take what they need of the run state.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace cleanup {

using platform::Platform;

// Exit statuses. A run that did not do its job never ends with 0.
constexpr int kExitDone = 0;            // finished, or the user declined
constexpr int kExitClientRunning = 1;   // refused: the client or its updater is open
constexpr int kExitNoDataFolder = 2;    // the local application data folder was not had

// Everything one run holds, from start to exit.
struct RunState {
    std::string path;                          // local app data, then the application data folder
    std::vector<std::string> directoryChain;   // the three folders, outermost first
    std::string savedId;                       // the ID the client saved; empty when unknown
    std::vector<std::string> fileList;         // full paths of the files to delete
    std::string text;                          // the prompt, then the report
};

int RunCleanup(Platform& os);
bool ClientIsRunning(Platform& os);

// Extends `path` (the local application data folder) to the client's
// application data folder, creating each level and recording it in `chain`.
void PrepareDataChain(Platform& os, std::string& path, std::vector<std::string>& chain);

// Reads the ID the client saved in `folder`\config.ini; empty when unknown.
void ReadSavedId(Platform& os, const std::string& folder, std::string& savedId);

// Appends the full path of every plain file of `folder` to `files`, in the
// platform's order. Sub-folders and names that begin with a dot are left out.
void ListDataFiles(Platform& os, const std::string& folder, std::vector<std::string>& files);

// Fills `text` with the confirmation question, naming `savedId` when known.
void ComposePrompt(const std::string& savedId, std::string& text);

// Shows the confirmation question; true only when the user answers Yes.
bool AskToProceed(Platform& os, const std::string& text);

// Deletes `files` (last first), then removes `chain` (innermost first), and
// shows either the success text or one line per path that is still there.
// Empties both lists; `report` is the text buffer.
void RemoveAndReport(Platform& os, std::vector<std::string>& files,
                     std::vector<std::string>& chain, std::string& report);

}  // namespace cleanup
