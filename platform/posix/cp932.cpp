#include "platform/posix/cp932.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "platform/platform.h"

namespace platform::posix {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Characters Windows refuses in a file name (besides the separators).
bool IsForbiddenInName(unsigned char c) {
    return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
           c == '*';
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // not a lead byte: taken alone, and it will not convert
}

// Runs `in` through `cd`. With `lossy`, each character that does not convert
// becomes '?' (`charLength` tells how many input bytes that character spans);
// otherwise the first such character fails the conversion.
bool Convert(iconv_t cd, std::string_view in, std::string& out, bool lossy,
             std::size_t (*charLength)(std::string_view rest)) {
    out.clear();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char chunk[256];
    while (inLeft > 0) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (!lossy) return false;
        std::size_t skip = std::min(inLeft, charLength(std::string_view(inPtr, inLeft)));
        out.push_back('?');
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

std::size_t Cp932CharLength(std::string_view rest) {
    return rest.size() > 1 && Cp932::IsLeadByte(static_cast<unsigned char>(rest[0])) ? 2 : 1;
}

std::size_t OneByte(std::string_view) {
    return 1;
}

std::size_t TwoBytes(std::string_view) {
    return 2;
}

std::size_t Utf8CharLength(std::string_view rest) {
    std::size_t length = Utf8Length(static_cast<unsigned char>(rest[0]));
    for (std::size_t i = 1; i < length && i < rest.size(); ++i) {
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return i;
    }
    return length;
}

}  // namespace

Cp932::Cp932()
    : toUtf8_(iconv_open("UTF-8", "CP932")), fromUtf8_(iconv_open("CP932", "UTF-8")) {
    if (toUtf8_ == kNoConverter || fromUtf8_ == kNoConverter) {
        throw std::runtime_error("iconv has no CP932 converter");
    }
}

Cp932::~Cp932() {
    iconv_close(toUtf8_);
    iconv_close(fromUtf8_);
}

bool Cp932::ToUtf8(std::string_view cp932, std::string& utf8) {
    return Convert(toUtf8_, cp932, utf8, false, Cp932CharLength);
}

std::string Cp932::ToUtf8Lossy(std::string_view cp932) {
    std::string utf8;
    Convert(toUtf8_, cp932, utf8, true, Cp932CharLength);
    return utf8;
}

std::string Cp932::FromUtf8Lossy(std::string_view utf8) {
    std::string cp932;
    Convert(fromUtf8_, utf8, cp932, true, Utf8CharLength);
    return cp932;
}

std::string Cp932::NameFromDisk(std::string_view utf8) {
    std::string name;
    name.reserve(utf8.size());
    std::string encoded;
    std::string back;
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            name.push_back(IsForbiddenInName(c) || c == '\\' ? '?' : static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t length = Utf8CharLength(utf8.substr(i));
        std::string_view character = utf8.substr(i, length);
        i += length;
        // Some characters (the yen sign, for one) map onto other characters of
        // code page 932; only an exact round trip keeps the name's identity.
        bool exact = Convert(fromUtf8_, character, encoded, false, Utf8CharLength) &&
                     Convert(toUtf8_, encoded, back, false, Cp932CharLength) &&
                     back == character;
        if (exact) {
            name += encoded;
        } else {
            name.push_back('?');
        }
    }
    return name;
}

bool Cp932::ToUnixPath(std::string_view windowsPath, std::string& unixPath, std::uint32_t& error) {
    // The ANSI functions take at most MAX_PATH bytes, terminator included.
    if (windowsPath.size() >= kMaxPath) {
        error = kErrorFilenameExcedRange;
        return false;
    }
    std::string utf8;
    if (!ToUtf8(windowsPath, utf8)) {
        error = kErrorInvalidName;
        return false;
    }
    auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    std::string_view rest = utf8;
    bool absolute = false;
    if (rest.size() >= 2 && rest[1] == ':' &&
        ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
        if (rest[0] != 'Z' && rest[0] != 'z') {  // the only drive there is
            error = kErrorPathNotFound;
            return false;
        }
        rest.remove_prefix(2);
    }
    if (!rest.empty() && isSeparator(rest[0])) {
        if (rest.size() > 1 && isSeparator(rest[1])) {  // a network path
            error = kErrorPathNotFound;
            return false;
        }
        absolute = true;
    }

    for (char c : rest) {
        if (IsForbiddenInName(static_cast<unsigned char>(c))) {
            error = kErrorInvalidName;
            return false;
        }
    }

    std::string base;  // the working directory, for a relative path
    if (!absolute) {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) {
            error = kErrorPathNotFound;
            return false;
        }
        base = cwd;
    }
    std::vector<std::string_view> parts;
    auto split = [&parts](std::string_view text, char separatorA, char separatorB) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == separatorA || text[i] == separatorB) {
                std::string_view part = text.substr(start, i - start);
                if (part == "..") {
                    if (!parts.empty()) parts.pop_back();
                } else if (!part.empty() && part != ".") {
                    parts.push_back(part);
                }
                start = i + 1;
            }
        }
    };
    split(base, '/', '/');
    split(rest, '\\', '/');
    std::string joined;
    for (std::string_view part : parts) {
        joined.push_back('/');
        joined.append(part);
    }
    unixPath = joined.empty() ? "/" : joined;
    return true;
}

std::string Cp932::ToWindowsPath(std::string_view unixPath) {
    std::string windows = "Z:";
    std::size_t start = 0;
    while (start < unixPath.size()) {
        std::size_t end = unixPath.find('/', start);
        if (end == std::string_view::npos) end = unixPath.size();
        if (end > start) {
            windows.push_back('\\');
            windows += NameFromDisk(unixPath.substr(start, end - start));
        }
        start = end + 1;
    }
    if (windows.size() == 2) windows.push_back('\\');
    return windows;
}

std::string Recode(std::string_view text, const char* from, const char* to, bool replaceBad) {
    iconv_t cd = iconv_open(to, from);
    if (cd == kNoConverter) return {};
    std::string out;
    // A bad character spans one unit of its set: a UTF-8 sequence, two bytes of UTF-16, else a byte.
    bool utf16 = std::string_view(from).rfind("UTF-16", 0) == 0;
    Convert(cd, text, out, replaceBad,
            std::string_view(from) == "UTF-8" ? Utf8CharLength : utf16 ? TwoBytes : OneByte);
    iconv_close(cd);
    return out;
}

std::uint32_t ErrorFromErrno(int error, const std::string& unixPath) {
    switch (error) {
    case ENOENT: {
        // Windows tells a missing file from a missing folder on its way.
        std::string parent = unixPath.substr(0, unixPath.find_last_of('/'));
        struct stat info;
        bool parentIsFolder = stat(parent.empty() ? "/" : parent.c_str(), &info) == 0 &&
                              S_ISDIR(info.st_mode);
        return parentIsFolder ? kErrorFileNotFound : kErrorPathNotFound;
    }
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EEXIST: return kErrorAlreadyExists;
    case EILSEQ:
    case EINVAL: return kErrorInvalidName;
    default: return 31;  // ERROR_GEN_FAILURE
    }
}

}  // namespace platform::posix
