#pragma once
// A picture held in memory: 0x00BBGGRR colours, rows from the top.

#include <cstdint>
#include <span>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // width * height colours, row after row

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Reads a device-independent bitmap (the BITMAPINFOHEADER and the bits after it,
// as a bitmap resource holds it, or a .bmp file without its 14-byte file header):
// uncompressed, 4 or 24 bits per pixel, bottom-up.
// For an icon image (height doubled, AND mask after the colours), pass iconMask
// to get the transparent pixels: true where the mask hides the pixel.
Picture DecodeDib(std::span<const std::uint8_t> dib, std::vector<bool>* iconMask = nullptr);

// The first image of a .ico file.
Picture DecodeIcon(std::span<const std::uint8_t> ico, std::vector<bool>& transparent);

// A .bmp file: the file header, then a device-independent bitmap.
Picture DecodeBmpFile(std::span<const std::uint8_t> bmp);
