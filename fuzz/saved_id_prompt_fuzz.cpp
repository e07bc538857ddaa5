// Whatever the client saved as its ID, the ID read back and the prompt built
// from it stay sound: at most 79 bytes, never ending in half a double-byte
// character, and the prompt always holds the fixed pieces around it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cleanup/cleanup.h"
#include "cleanup/texts.h"
#include "tests/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string saved(reinterpret_cast<const char*>(data), size);
    testing_support::FakePlatform os;
    const std::string folder = "C:\\app";
    os.profileValues[folder + "|STATUS|UNAME"] = saved;
    std::string id;
    cleanup::ReadSavedId(os, folder, id);
    if (id.size() > 79 || saved.compare(0, id.size(), id) != 0) std::abort();
    if (id.find('\0') != std::string::npos) std::abort();
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (os.IsDBCSLeadByte(static_cast<unsigned char>(id[i])) && ++i == id.size()) std::abort();
    }
    if (os.currentDirectory != "C:\\start") std::abort();

    std::string prompt;
    cleanup::ComposePrompt(id, prompt);
    if (prompt.rfind(cleanup::kPromptIntro, 0) != 0) std::abort();
    const std::string question = cleanup::kPromptQuestion;
    if (prompt.compare(prompt.size() - question.size(), question.size(), question) != 0) std::abort();
    bool hasBlock = prompt.find(std::string(cleanup::kPromptIdOpen) + id + cleanup::kPromptIdClose) != std::string::npos;
    if (hasBlock != !id.empty()) std::abort();
    return 0;
}
