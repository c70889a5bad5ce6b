// Writes the program's icon file from its pixel art: each art file is a square of text lines,
// one character per pixel, top row first. '.' is transparent; every other character names one
// of the 16 colours of the standard palette (see kPalette). The images are stored with 4 bits
// per pixel and a transparency mask, the format every Windows version shows.
//
//   kelvane_make_icon OUTPUT.ico ART...
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct PaletteEntry {
    char symbol;
    std::uint8_t red, green, blue;
};

// The 16 colours in their Windows order; the index is the pixel value.
constexpr std::array<PaletteEntry, 16> kPalette{{
    {'k', 0x00, 0x00, 0x00},  // black
    {'r', 0x80, 0x00, 0x00},  // maroon
    {'n', 0x00, 0x80, 0x00},  // green
    {'o', 0x80, 0x80, 0x00},  // olive
    {'v', 0x00, 0x00, 0x80},  // navy
    {'p', 0x80, 0x00, 0x80},  // purple
    {'t', 0x00, 0x80, 0x80},  // teal
    {'s', 0xC0, 0xC0, 0xC0},  // silver
    {'g', 0x80, 0x80, 0x80},  // grey
    {'R', 0xFF, 0x00, 0x00},  // red
    {'L', 0x00, 0xFF, 0x00},  // lime
    {'Y', 0xFF, 0xFF, 0x00},  // yellow
    {'B', 0x00, 0x00, 0xFF},  // blue
    {'M', 0xFF, 0x00, 0xFF},  // fuchsia
    {'C', 0x00, 0xFF, 0xFF},  // aqua
    {'W', 0xFF, 0xFF, 0xFF},  // white
}};

constexpr char kTransparent = '.';

struct Image {
    int size = 0;
    std::vector<std::uint8_t> colour;  // palette index per pixel, top row first
    std::vector<bool> transparent;
};

bool ReadArt(const char* path, Image& image) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << path << ": cannot be read\n";
        return false;
    }
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            rows.push_back(line);
        }
    }
    const int size = static_cast<int>(rows.size());
    // The icon directory stores the size in one byte, with 0 for 256.
    if (size == 0 || size > 255 || size % 8 != 0) {
        std::cerr << path << ": the art must be a square of 8, 16, ... 248 lines\n";
        return false;
    }
    image.size = size;
    for (int y = 0; y < size; ++y) {
        if (static_cast<int>(rows[static_cast<std::size_t>(y)].size()) != size) {
            std::cerr << path << ":" << (y + 1) << ": the line is not " << size << " long\n";
            return false;
        }
        for (const char c : rows[static_cast<std::size_t>(y)]) {
            if (c == kTransparent) {
                image.colour.push_back(0);
                image.transparent.push_back(true);
                continue;
            }
            std::size_t index = 0;
            while (index < kPalette.size() && kPalette[index].symbol != c) {
                ++index;
            }
            if (index == kPalette.size()) {
                std::cerr << path << ":" << (y + 1) << ": unknown colour '" << c << "'\n";
                return false;
            }
            image.colour.push_back(static_cast<std::uint8_t>(index));
            image.transparent.push_back(false);
        }
    }
    return true;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Rows of a device-independent bitmap are padded to 4 bytes.
std::size_t RowBytes(int pixels, int bitsPerPixel) {
    return static_cast<std::size_t>((pixels * bitsPerPixel + 31) / 32 * 4);
}

// The image as the icon file stores it: the bitmap header (with twice the height, colour and
// mask together), the palette, the colour bitmap and the mask, both bottom row first.
std::vector<std::uint8_t> Encode(const Image& image) {
    const int n = image.size;
    const std::size_t colourRow = RowBytes(n, 4);
    const std::size_t maskRow = RowBytes(n, 1);
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(n));
    Put32(out, static_cast<std::uint32_t>(2 * n));
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, 0);  // uncompressed
    Put32(out, static_cast<std::uint32_t>((colourRow + maskRow) * static_cast<std::size_t>(n)));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (const PaletteEntry& entry : kPalette) {
        out.insert(out.end(), {entry.blue, entry.green, entry.red, 0});
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourRow, 0);
        for (int x = 0; x < n; ++x) {
            const auto i = static_cast<std::size_t>(y * n + x);
            const auto shift = x % 2 == 0 ? 4 : 0;
            row[static_cast<std::size_t>(x / 2)] |=
                static_cast<std::uint8_t>(image.colour[i] << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < n; ++x) {
            if (image.transparent[static_cast<std::size_t>(y * n + x)]) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: kelvane_make_icon OUTPUT.ico ART...\n";
        return 2;
    }
    std::vector<std::vector<std::uint8_t>> images;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        Image image;
        if (!ReadArt(argv[i], image)) {
            return 1;
        }
        sizes.push_back(image.size);
        images.push_back(Encode(image));
    }
    std::vector<std::uint8_t> file;
    Put16(file, 0);  // reserved
    Put16(file, 1);  // an icon, not a cursor
    Put16(file, static_cast<unsigned>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(16);  // colours
        file.push_back(0);
        Put16(file, 1);  // planes
        Put16(file, 4);  // bits per pixel
        Put32(file, static_cast<std::uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        file.insert(file.end(), image.begin(), image.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::cerr << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
