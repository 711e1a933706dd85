// Decoding of the bitmaps and icons the program carries in its resources.

#include <string>

#include "picture.h"
#include "runtime_error.h"

namespace {

std::uint32_t ReadLE(std::span<const std::uint8_t> bytes, std::size_t offset, int size)
{
    if (offset + size > bytes.size())
        throw RuntimeError("picture data ends early, at byte " + std::to_string(offset));
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[offset + i];
    return value;
}

std::uint32_t RgbQuad(std::span<const std::uint8_t> palette, std::uint32_t index)
{
    std::size_t at = std::size_t{index} * 4;
    if (at + 3 > palette.size())
        throw RuntimeError("picture colour " + std::to_string(index) + " is not in its palette");
    return palette[at + 2] | palette[at + 1] << 8 | palette[at] << 16; // stored B, G, R
}

} // namespace

Picture DecodeDib(std::span<const std::uint8_t> dib, std::vector<bool>* iconMask)
{
    std::uint32_t headerSize = ReadLE(dib, 0, 4);
    auto width = static_cast<std::int32_t>(ReadLE(dib, 4, 4));
    auto height = static_cast<std::int32_t>(ReadLE(dib, 8, 4));
    std::uint32_t bitCount = ReadLE(dib, 14, 2);
    std::uint32_t compression = ReadLE(dib, 16, 4);
    std::uint32_t colorsUsed = ReadLE(dib, 32, 4);
    // The program's own pictures: a 24-bit picture and a 16-colour icon, stored bottom-up.
    if (headerSize < 40 || compression != 0 || width <= 0 || width > 0x4000 || height <= 0 ||
        (bitCount != 4 && bitCount != 24))
        throw RuntimeError("picture format not supported: " + std::to_string(bitCount) +
                           " bits per pixel, compression " + std::to_string(compression));

    std::int64_t rows = iconMask ? height / 2 : height;
    if (rows <= 0 || rows > 0x4000)
        throw RuntimeError("picture height out of range: " + std::to_string(height));

    std::size_t paletteSize = bitCount == 4 ? (colorsUsed ? colorsUsed : 16u) * 4 : 0;
    std::size_t bitsOffset = headerSize + paletteSize;
    if (bitsOffset > dib.size())
        throw RuntimeError("picture palette ends early");
    auto palette = dib.subspan(headerSize, paletteSize);
    std::size_t stride = (std::size_t{bitCount} * width + 31) / 32 * 4;

    Picture picture;
    picture.width = width;
    picture.height = static_cast<int>(rows);
    picture.pixels.resize(static_cast<std::size_t>(width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        std::size_t row = bitsOffset + (picture.height - 1 - y) * stride;
        if (row + stride > dib.size())
            throw RuntimeError("picture data ends early, in row " + std::to_string(y));
        const std::uint8_t* bits = dib.data() + row;
        for (int x = 0; x < width; ++x) {
            std::uint32_t colour = bitCount == 4 ? RgbQuad(palette, (bits[x / 2] >> (x % 2 ? 0 : 4)) & 0xF)
                                                 : bits[3 * x + 2] | bits[3 * x + 1] << 8 | bits[3 * x] << 16;
            picture.pixels[static_cast<std::size_t>(y) * width + x] = colour;
        }
    }

    if (iconMask) {
        std::size_t maskStride = (std::size_t{1} * width + 31) / 32 * 4;
        std::size_t maskOffset = bitsOffset + stride * picture.height;
        iconMask->assign(picture.pixels.size(), false);
        for (int y = 0; y < picture.height; ++y) {
            std::size_t row = maskOffset + (picture.height - 1 - y) * maskStride;
            if (row + maskStride > dib.size())
                throw RuntimeError("icon mask ends early, in row " + std::to_string(y));
            for (int x = 0; x < width; ++x)
                (*iconMask)[static_cast<std::size_t>(y) * width + x] = dib[row + x / 8] >> (7 - x % 8) & 1;
        }
    }
    return picture;
}

Picture DecodeIcon(std::span<const std::uint8_t> ico, std::vector<bool>& transparent)
{
    if (ReadLE(ico, 0, 2) != 0 || ReadLE(ico, 2, 2) != 1 || ReadLE(ico, 4, 2) == 0)
        throw RuntimeError("not an icon file");
    std::uint32_t size = ReadLE(ico, 6 + 8, 4);
    std::uint32_t offset = ReadLE(ico, 6 + 12, 4);
    if (offset > ico.size() || size > ico.size() - offset)
        throw RuntimeError("icon image lies beyond the end of the icon file");
    return DecodeDib(ico.subspan(offset, size), &transparent);
}

Picture DecodeBmpFile(std::span<const std::uint8_t> bmp)
{
    constexpr std::size_t fileHeaderSize = 14;
    if (bmp.size() < fileHeaderSize || bmp[0] != 'B' || bmp[1] != 'M')
        throw RuntimeError("not a bitmap file");
    return DecodeDib(bmp.subspan(fileHeaderSize));
}
