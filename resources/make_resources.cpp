// Writes the program's pictures into a folder: the application icon (veltrane.ico, 32 x 32 and
// 16 x 16 in 16 colours) and the About picture (about.gif, four 48 x 48 frames). The artwork is
// drawn here, so the binaries are never edited by hand and rebuild identically every time.

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <gif_lib.h>
#include <string>
#include <vector>

namespace {

// A picture as palette indexes, row by row from the top.
struct IndexedImage {
    int width;
    int height;
    std::vector<std::uint8_t> pixels;

    IndexedImage(int w, int h, std::uint8_t fill)
        : width{w}
        , height{h}
        , pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    void set(int x, int y, std::uint8_t index) {
        if (x >= 0 && y >= 0 && x < width && y < height) {
            pixels[offset(x, y)] = index;
        }
    }
    std::uint8_t at(int x, int y) const { return pixels[offset(x, y)]; }

    std::size_t offset(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }

    void fillRect(int left, int top, int w, int h, std::uint8_t index) {
        for (int y = top; y < top + h; ++y) {
            for (int x = left; x < left + w; ++x) {
                set(x, y, index);
            }
        }
    }
};

// ---- The application icon -------------------------------------------------------------------

// The sixteen colours of the classic 4-bit palette, as red, green, blue.
constexpr std::array<std::array<std::uint8_t, 3>, 16> iconPalette{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};
constexpr std::uint8_t darkGreen = 2;
constexpr std::uint8_t navy = 4;
constexpr std::uint8_t brightGreen = 10;
constexpr std::uint8_t yellow = 11;
constexpr std::uint8_t white = 15;

// A navy tile with three rising green bars and a yellow arrow over them.
IndexedImage drawIcon(int size) {
    IndexedImage image(size, size, navy);
    const int unit = size / 16;
    image.fillRect(0, 0, size, unit, white);
    image.fillRect(0, 0, unit, size, white);
    const std::array<int, 3> heights{4, 7, 10};
    for (int bar = 0; bar < 3; ++bar) {
        const int left = (2 + bar * 4) * unit;
        const int height = heights[static_cast<std::size_t>(bar)] * unit;
        image.fillRect(left, size - unit - height, 3 * unit, height, brightGreen);
        image.fillRect(left + 2 * unit, size - unit - height, unit, height, darkGreen);
    }
    for (int step = 0; step < 12 * unit; ++step) {
        const int x = 2 * unit + step;
        const int y = 8 * unit - step / 2;
        image.fillRect(x, y, unit, unit, yellow);
    }
    image.fillRect(13 * unit, 1 * unit, 2 * unit, 2 * unit, yellow);
    return image;
}

void putLittle16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void putLittle32(std::vector<std::uint8_t>& out, unsigned value) {
    putLittle16(out, value & 0xFFFFu);
    putLittle16(out, (value >> 16) & 0xFFFFu);
}

// One icon image: header, 16-colour table, 4-bit colour rows and the 1-bit mask, rows bottom up.
std::vector<std::uint8_t> iconImageBytes(const IndexedImage& image) {
    const auto width = static_cast<unsigned>(image.width);
    const auto height = static_cast<unsigned>(image.height);
    const unsigned colourRow = (width / 2 + 3) / 4 * 4;
    const unsigned maskRow = ((width + 7) / 8 + 3) / 4 * 4;
    std::vector<std::uint8_t> out;
    putLittle32(out, 40);
    putLittle32(out, width);
    putLittle32(out, height * 2); // the colour rows and the mask rows together
    putLittle16(out, 1);
    putLittle16(out, 4);
    putLittle32(out, 0);
    putLittle32(out, (colourRow + maskRow) * height);
    putLittle32(out, 0);
    putLittle32(out, 0);
    putLittle32(out, 0);
    putLittle32(out, 0);
    for (const auto& colour : iconPalette) {
        out.push_back(colour[2]);
        out.push_back(colour[1]);
        out.push_back(colour[0]);
        out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourRow, 0);
        for (int x = 0; x < image.width; x += 2) {
            row[static_cast<std::size_t>(x / 2)] =
                static_cast<std::uint8_t>((image.at(x, y) << 4) | image.at(x + 1, y));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    // Every pixel opaque: the mask is all zero bits.
    out.insert(out.end(), static_cast<std::size_t>(maskRow) * static_cast<std::size_t>(height), 0);
    return out;
}

std::vector<std::uint8_t> iconFileBytes() {
    const std::array<std::vector<std::uint8_t>, 2> images{iconImageBytes(drawIcon(32)),
                                                          iconImageBytes(drawIcon(16))};
    const std::array<unsigned, 2> sizes{32, 16};
    std::vector<std::uint8_t> out;
    putLittle16(out, 0);
    putLittle16(out, 1); // an icon, not a cursor
    putLittle16(out, 2);
    unsigned offset = 6 + 16 * 2;
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(16);
        out.push_back(0);
        putLittle16(out, 1);
        putLittle16(out, 4);
        putLittle32(out, static_cast<unsigned>(images[i].size()));
        putLittle32(out, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    // The stream writes chars; the bytes are the same either way.
    file.write(reinterpret_cast<const char*>(bytes.data()), // NOLINT(*-reinterpret-cast)
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

// ---- The About picture ----------------------------------------------------------------------

constexpr int pictureSize = 48;
constexpr std::uint8_t gifBlack = 0;
constexpr std::uint8_t gifGreen = 1;
constexpr std::uint8_t gifDarkGreen = 2;
constexpr std::uint8_t gifGold = 3;
constexpr std::uint8_t gifNavy = 4;
constexpr std::uint8_t gifClear = 255; // white, and the transparent index

// 256 colours: black first, white last, the picture's own colours next to black and a grey ramp
// filling the rest.
std::array<GifColorType, 256> gifPalette() {
    std::array<GifColorType, 256> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const auto grey = static_cast<GifByteType>(i);
        palette[i] = GifColorType{grey, grey, grey};
    }
    palette[gifBlack] = GifColorType{0, 0, 0};
    palette[gifGreen] = GifColorType{0, 160, 0};
    palette[gifDarkGreen] = GifColorType{0, 64, 0};
    palette[gifGold] = GifColorType{230, 180, 0};
    palette[gifNavy] = GifColorType{0, 0, 128};
    palette[gifClear] = GifColorType{255, 255, 255};
    return palette;
}

// A coin over a rising chart; `phase` lifts the tallest bar and moves the coin's shine.
IndexedImage drawPictureFrame(int phase) {
    IndexedImage image(pictureSize, pictureSize, gifClear);
    image.fillRect(2, 45, 44, 2, gifNavy);
    image.fillRect(2, 4, 2, 42, gifNavy);
    const std::array<int, 3> heights{10, 18, 26 + 6 * phase};
    for (int bar = 0; bar < 3; ++bar) {
        const int height = heights[static_cast<std::size_t>(bar)];
        const int left = 8 + bar * 12;
        image.fillRect(left, 45 - height, 9, height, gifGreen);
        image.fillRect(left + 7, 45 - height, 2, height, gifDarkGreen);
    }
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
            const int dx = 2 * x - 13;
            const int dy = 2 * y - 13;
            if (dx * dx + dy * dy <= 169) {
                image.set(8 + x, 4 + y, gifGold);
            }
        }
    }
    image.fillRect(11 + 3 * phase, 7, 2, 2, gifClear);
    image.fillRect(14, 8, 2, 8, gifBlack);
    return image;
}

bool writePicture(const std::string& path) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr) {
        return false;
    }
    EGifSetGifVersion(gif, true);
    auto palette = gifPalette();
    ColorMapObject* map = GifMakeMapObject(256, palette.data());
    bool ok = map != nullptr &&
              EGifPutScreenDesc(gif, pictureSize, pictureSize, 8, gifBlack, map) == GIF_OK;
    GifFreeMapObject(map);

    // Loop the animation 1000 times.
    const char application[] = "NETSCAPE2.0";
    const GifByteType loops[3] = {1, 1000 & 0xFF, 1000 >> 8};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, application) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loops) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;

    // Four frames; the first and the third are the same image.
    const std::array<int, 4> phases{0, 1, 0, 2};
    for (int phase : phases) {
        const IndexedImage frame = drawPictureFrame(phase);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_BACKGROUND;
        control.UserInputFlag = false;
        control.DelayTime = 0;
        control.TransparentColor = gifClear;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
        ok = ok && EGifPutImageDesc(gif, 0, 0, pictureSize, pictureSize, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < pictureSize; ++y) {
            std::array<GifPixelType, pictureSize> row{};
            for (int x = 0; x < pictureSize; ++x) {
                row[static_cast<std::size_t>(x)] = frame.at(x, y);
            }
            ok = EGifPutLine(gif, row.data(), pictureSize) == GIF_OK;
        }
    }
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: make_resources OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    if (!writeFile(folder + "/veltrane.ico", iconFileBytes())) {
        std::fprintf(stderr, "make_resources: cannot write %s/veltrane.ico\n", folder.c_str());
        return 1;
    }
    if (!writePicture(folder + "/about.gif")) {
        std::fprintf(stderr, "make_resources: cannot write %s/about.gif\n", folder.c_str());
        return 1;
    }
    return 0;
}
