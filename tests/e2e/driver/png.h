#pragma once
// A picture in memory and its PNG file form: 8-bit RGB, compressed with fixed-Huffman deflate
// and run-length matches, which suits screenshots of flat user-interface colours.
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes per pixel

    bool operator==(const Image&) const = default;
};

std::vector<std::uint8_t> EncodePng(const Image& image);
bool WritePng(const Image& image, const std::string& path);

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, size_t size);

}  // namespace e2e
