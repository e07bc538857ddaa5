#pragma once

#include <string>

namespace testing_support {

// `utf8` in code page 932, converted by iconv.
std::string Cp932(const std::string& utf8);
// Code-page-932 bytes as UTF-8, for readable failure messages and screens.
std::string Utf8(const std::string& cp932);

}  // namespace testing_support
