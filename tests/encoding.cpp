#include "tests/encoding.h"

#include <iconv.h>

#include <stdexcept>

namespace testing_support {

namespace {

std::string Convert(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no iconv converter");
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible: " + text);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string Cp932(const std::string& utf8) {
    return Convert("CP932", "UTF-8", utf8);
}

std::string Utf8(const std::string& cp932) {
    return Convert("UTF-8", "CP932", cp932);
}

}  // namespace testing_support
