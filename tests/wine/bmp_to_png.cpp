#include "tests/wine/bmp_to_png.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace testing_support {

namespace {

std::uint32_t Read32(const std::vector<unsigned char>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void Put32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    Put32(png, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    png += body;
    Put32(png, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                static_cast<uInt>(body.size()))));
}

}  // namespace

bool BmpToPng(const std::string& bmpPath, const std::string& pngPath) {
    std::ifstream in(bmpPath, std::ios::binary);
    std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M' || bmp[28] != 24) return false;
    std::uint32_t offset = Read32(bmp, 10);
    auto width = static_cast<std::int32_t>(Read32(bmp, 18));
    auto height = static_cast<std::int32_t>(Read32(bmp, 22));
    std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (width <= 0 || height <= 0 || offset + rowBytes * height > bmp.size()) return false;

    std::string raw;  // PNG rows: filter byte 0, then RGB
    for (std::int32_t y = height - 1; y >= 0; --y) {
        raw.push_back('\0');
        const unsigned char* row = &bmp[offset + rowBytes * static_cast<std::size_t>(y)];
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            raw.push_back(static_cast<char>(row[x * 3 + 2]));
            raw.push_back(static_cast<char>(row[x * 3 + 1]));
            raw.push_back(static_cast<char>(row[x * 3]));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9) != Z_OK) {
        return false;
    }
    packed.resize(packedSize);

    std::string header;
    Put32(header, static_cast<std::uint32_t>(width));
    Put32(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    std::string png = "\x89PNG\r\n\x1A\n";
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    std::ofstream out(pngPath, std::ios::binary);
    out << png;
    return static_cast<bool>(out);
}

}  // namespace testing_support
