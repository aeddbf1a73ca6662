// screenshot.cpp: the README's picture of the real program on a desktop.
// Usage: zw_screenshot OUTPUT.png
#include <X11/Xlib.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "figure_window/eye_geometry.h"
#include "tools/x_desktop/x_desktop.h"

namespace {

// Writes an image as a PNG file.
void WritePng(const platform::Image& image, const std::string& path) {
    // Uncompressed deflate blocks: no library needed for one picture.
    std::string raw;
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';
        for (int x = 0; x < image.width; ++x) {
            const platform::Colour c = image.At(x, y);
            raw += static_cast<char>(c & 0xFF);
            raw += static_cast<char>((c >> 8) & 0xFF);
            raw += static_cast<char>((c >> 16) & 0xFF);
        }
    }
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    const auto crc = [&](const std::string& bytes) {
        std::uint32_t c = 0xFFFFFFFFU;
        for (const char b : bytes) c = table[(c ^ static_cast<std::uint8_t>(b)) & 0xFF] ^ (c >> 8);
        return c ^ 0xFFFFFFFFU;
    };
    const auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    std::string zlib = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (const char ch : raw) {
        a = (a + static_cast<std::uint8_t>(ch)) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(length & 0xFF);
        zlib += static_cast<char>(length >> 8);
        zlib += static_cast<char>(~length & 0xFF);
        zlib += static_cast<char>((~length >> 8) & 0xFF);
        zlib += raw.substr(at, length);
        if (last) break;
    }
    zlib += be32((b << 16) | a);
    const auto chunk = [&](const std::string& type, const std::string& data) {
        return be32(static_cast<std::uint32_t>(data.size())) + type + data + be32(crc(type + data));
    };
    const std::string header = be32(static_cast<std::uint32_t>(image.width)) + be32(static_cast<std::uint32_t>(image.height)) +
                               std::string("\x08\x02\x00\x00\x00", 5);
    std::ofstream(path, std::ios::binary) << "\x89PNG\r\n\x1a\n" << chunk("IHDR", header) << chunk("IDAT", zlib)
                                          << chunk("IEND", "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    constexpr int kWidth = 480, kHeight = 300;
    e2e::XServer server(kWidth, kHeight);
    Display* display = server.Connection();

    // A calm desktop: a vertical gradient on the root window.
    const Window root = DefaultRootWindow(display);
    const Pixmap background = XCreatePixmap(display, root, kWidth, kHeight, 24);
    const GC gc = XCreateGC(display, background, 0, nullptr);
    for (int y = 0; y < kHeight; ++y) {
        const unsigned long r = 70 + 60 * y / kHeight, g = 110 + 70 * y / kHeight, b = 170 + 50 * y / kHeight;
        XSetForeground(display, gc, (r << 16) | (g << 8) | b);
        XDrawLine(display, background, gc, 0, y, kWidth, y);
    }
    XSetWindowBackgroundPixmap(display, root, background);
    XClearWindow(display, root);
    XSync(display, False);

    // The program in a folder of its own, placed by its settings file, with
    // the pointer where its eyes look from their first tick on.
    char folderName[] = "/tmp/zwinkerle-screenshot.XXXXXX";
    if (::mkdtemp(folderName) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = folderName;
    std::filesystem::copy_file(ZW_PROGRAM_PATH, folder / "zwinkerle");
    std::ofstream(folder / "zwinkerle.ini") << "[Quorl's Zwinkerle]\nTop=750\nLeft=2400\n";
    e2e::MovePointer(display, 400, 230);
    const pid_t pid = e2e::Spawn({(folder / "zwinkerle").string()},
                                 {"DISPLAY=" + server.Name(), "XDG_CONFIG_HOME=" + (folder / "config").string()});
    const Window window = e2e::WaitForWindow(display, pid);
    // Its eyes are painted once their white shows.
    const auto eyesPainted = [&] {
        const auto [left, top] = e2e::RootPosition(display, window);
        const platform::Image face = e2e::GrabScreen(display, left, top, eye::kRightEye.x + 6, eye::kRightEye.y + 6);
        return std::count(face.pixels.begin(), face.pixels.end(), eye::kWhiteColour) > 0;
    };
    const bool shown = window != 0 && e2e::WaitUntil(eyesPainted);
    if (shown) WritePng(e2e::GrabScreen(display, 0, 0, kWidth, kHeight), argv[1]);
    e2e::Stop(pid);
    std::filesystem::remove_all(folder);
    if (!shown) std::fprintf(stderr, "the program showed no face\n");
    return shown ? 0 : 1;
}
