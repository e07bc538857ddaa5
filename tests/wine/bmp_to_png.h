#pragma once

#include <string>

namespace testing_support {

// Converts a 24-bit bottom-up BMP, as the Wine helper writes it, to PNG.
bool BmpToPng(const std::string& bmpPath, const std::string& pngPath);

}  // namespace testing_support
