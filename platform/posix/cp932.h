// Code-page-932 text at the Windows interface, UTF-8 on disk and on the
// terminal: the conversions the stand-in needs, and the Wine-like mapping
// between Windows paths (drive Z: is the Unix root) and Unix paths.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::posix {

class Cp932 {
public:
    Cp932();
    ~Cp932();
    Cp932(const Cp932&) = delete;
    Cp932& operator=(const Cp932&) = delete;

    static bool IsLeadByte(unsigned char byte) {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }

    // Exact conversion; false when `cp932` holds bytes that are not code page 932.
    bool ToUtf8(std::string_view cp932, std::string& utf8);
    // Every character that cannot be converted becomes '?'.
    std::string ToUtf8Lossy(std::string_view cp932);
    std::string FromUtf8Lossy(std::string_view utf8);

    // A file name as found on disk, in the form Windows code sees: a
    // character without an exact round trip to code page 932, or one that
    // Windows does not allow in names, becomes '?', which no operation
    // accepts, so such a name can never lead to some other file.
    std::string NameFromDisk(std::string_view utf8);

    // Maps a Windows path to an absolute, normalised Unix path; a relative
    // one is taken from the working directory. On failure returns false
    // with the Windows error code in `error`.
    bool ToUnixPath(std::string_view windowsPath, std::string& unixPath, std::uint32_t& error);
    // An absolute Unix path in its Z: form.
    std::string ToWindowsPath(std::string_view unixPath);

private:
    iconv_t toUtf8_;
    iconv_t fromUtf8_;
};

// `text` from character set `from` to `to`. With `replaceBad`, each
// character that does not convert becomes '?'; otherwise the result ends
// before the first such character. Empty when iconv knows no such sets.
std::string Recode(std::string_view text, const char* from, const char* to, bool replaceBad);

// The Windows error code for a failed Unix call on `unixPath`.
std::uint32_t ErrorFromErrno(int error, const std::string& unixPath);

}  // namespace platform::posix
