// The stand-in's INI reader on arbitrary text: it must not crash, and a
// value it finds is always a piece of the text itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* section : {"STATUS", "status", ""}) {
        for (const char* key : {"UNAME", "uname", ""}) {
            auto value = platform::posix::FindIniValue(text, section, key);
            if (value && !value->empty() && text.find(*value) == std::string::npos) std::abort();
            if (value && value->find_first_of("\r\n") != std::string::npos) std::abort();
        }
    }
    return 0;
}
