// How long the PNG writer takes for screen pictures, and how large the files get.
// Prints figures; asserts nothing. The pictures are synthesised: a 1920 x 1080 desktop
// (wallpaper, taskbar, windows with title bars, text, a photo; once more with the photo
// left out) and a 620 x 340 window
// like the main window (title bar, menu, large digits, status bar).

#include "screenshot/png_writer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using weighlet::Picture;

struct Rgb {
    std::uint8_t r, g, b;
};

class Canvas {
public:
    Canvas(std::uint32_t width, std::uint32_t height) {
        picture_.width = width;
        picture_.height = height;
        picture_.rgb.assign(picture_.rowBytes() * height, 0);
    }

    void set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= static_cast<int>(picture_.width) ||
            y >= static_cast<int>(picture_.height)) {
            return;
        }
        std::uint8_t* p =
            &picture_
                 .rgb[(static_cast<std::size_t>(y) * picture_.width + static_cast<std::size_t>(x)) *
                      3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }

    void fill(int x0, int y0, int w, int h, Rgb c) {
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                set(x, y, c);
            }
        }
    }

    // A horizontal gradient from a to b, as on a title bar.
    void gradient(int x0, int y0, int w, int h, Rgb a, Rgb b) {
        for (int x = 0; x < w; ++x) {
            const double t = w > 1 ? static_cast<double>(x) / (w - 1) : 0.0;
            const Rgb c{static_cast<std::uint8_t>(a.r + (b.r - a.r) * t),
                        static_cast<std::uint8_t>(a.g + (b.g - a.g) * t),
                        static_cast<std::uint8_t>(a.b + (b.b - a.b) * t)};
            fill(x0 + x, y0, 1, h, c);
        }
    }

    // Lines of text-like marks: words of random glyphs, each glyph a few random strokes
    // with anti-aliased grey edges.
    void text(int x0, int y0, int w, int h, int lineHeight, Rgb ink, Rgb paper,
              std::mt19937& random) {
        for (int line = y0 + 2; line + lineHeight <= y0 + h; line += lineHeight) {
            int x = x0 + 4;
            const int end =
                x0 + w - 4 - static_cast<int>(random() % static_cast<unsigned>(w / 3 + 1));
            while (x < end) {
                const int word = 2 + static_cast<int>(random() % 8);
                for (int g = 0; g < word && x < end; ++g) {
                    const int gw = 4 + static_cast<int>(random() % 4);
                    const int gh = lineHeight * 2 / 3;
                    for (int i = 0; i < gw * gh / 3; ++i) {
                        const int px = x + static_cast<int>(random() % static_cast<unsigned>(gw));
                        const int py =
                            line + static_cast<int>(random() % static_cast<unsigned>(gh));
                        const unsigned shade = random() % 3;
                        const Rgb c = shade == 0
                                          ? ink
                                          : Rgb{static_cast<std::uint8_t>((ink.r + paper.r) / 2),
                                                static_cast<std::uint8_t>((ink.g + paper.g) / 2),
                                                static_cast<std::uint8_t>((ink.b + paper.b) / 2)};
                        set(px, py, c);
                    }
                    x += gw + 1;
                }
                x += 5;
            }
        }
    }

    // A photo: smooth colour fields with fine grain.
    void photo(int x0, int y0, int w, int h, std::mt19937& random) {
        std::normal_distribution<double> grain(0.0, 6.0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const double u = static_cast<double>(x) / w;
                const double v = static_cast<double>(y) / h;
                const double r = 120 + 90 * std::sin(6.0 * u + 2.0 * v) + grain(random);
                const double g = 110 + 70 * std::cos(4.0 * v - 3.0 * u) + grain(random);
                const double b = 90 + 60 * std::sin(9.0 * u * v + 1.0) + grain(random);
                set(x0 + x, y0 + y,
                    {static_cast<std::uint8_t>(std::clamp(r, 0.0, 255.0)),
                     static_cast<std::uint8_t>(std::clamp(g, 0.0, 255.0)),
                     static_cast<std::uint8_t>(std::clamp(b, 0.0, 255.0))});
            }
        }
    }

    // A window with frame, title bar (and its text) and a flat client area.
    void window(int x, int y, int w, int h, Rgb client, std::mt19937& random) {
        fill(x, y, w, h, {212, 208, 200});
        gradient(x + 3, y + 3, w - 6, 22, {10, 36, 106}, {166, 202, 240});
        text(x + 6, y + 5, w / 3, 18, 16, {255, 255, 255}, {10, 36, 106}, random);
        for (int b = 0; b < 3; ++b) {
            fill(x + w - 24 - b * 20, y + 6, 16, 14, {212, 208, 200});
        }
        fill(x + 4, y + 26, w - 8, h - 30, client);
    }

    Picture take() { return std::move(picture_); }

private:
    Picture picture_;
};

Picture desktop(bool withPhoto) {
    std::mt19937 random(42);
    Canvas c(1920, 1080);
    c.gradient(0, 0, 1920, 1040, {0, 96, 128}, {0, 128, 160}); // wallpaper
    for (int i = 0; i < 8; ++i) {                              // desktop icons
        c.fill(20, 20 + i * 90, 48, 48, {static_cast<std::uint8_t>(60 + i * 20), 180, 90});
        c.text(10, 72 + i * 90, 70, 16, 14, {255, 255, 255}, {0, 96, 128}, random);
    }
    c.fill(0, 1040, 1920, 40, {192, 192, 192}); // taskbar
    c.text(60, 1050, 900, 20, 16, {0, 0, 0}, {192, 192, 192}, random);

    c.window(140, 60, 1000, 700, {255, 255, 255}, random); // an editor full of text
    c.text(150, 100, 980, 650, 16, {0, 0, 0}, {255, 255, 255}, random);
    c.window(900, 300, 820, 640, {40, 40, 40}, random); // a photo viewer
    if (withPhoto) {
        c.photo(920, 340, 780, 580, random);
    }
    c.window(300, 640, 620, 340, {240, 240, 240}, random); // a dialog
    c.text(320, 690, 400, 120, 16, {0, 0, 0}, {240, 240, 240}, random);
    return c.take();
}

// Like the main window: frame, title bar, menu bar, six large red LCD digits, "kg", and a
// status bar with three fields.
Picture mainWindow() {
    std::mt19937 random(7);
    Canvas c(620, 340);
    c.window(0, 0, 620, 340, {240, 240, 240}, random);
    c.text(6, 28, 300, 18, 16, {0, 0, 0}, {240, 240, 240}, random); // menu bar
    const Rgb red{255, 0, 0};
    for (int d = 0; d < 6; ++d) {
        const int x = 30 + d * 80;
        c.fill(x + 8, 80, 48, 10, red);
        c.fill(x, 90, 10, 70, red);
        c.fill(x + 56, 90, 10, 70, red);
        c.fill(x + 8, 160, 48, 10, red);
        c.fill(x, 170, 10, 70, red);
        c.fill(x + 56, 170, 10, 70, red);
        c.fill(x + 8, 240, 48, 10, red);
    }
    c.text(520, 220, 60, 24, 22, red, {240, 240, 240}, random); // "kg"
    c.fill(4, 314, 612, 22, {230, 230, 230});
    c.text(8, 316, 600, 18, 16, {0, 0, 0}, {230, 230, 230}, random);
    return c.take();
}

class CountingSink final : public weighlet::ByteSink {
public:
    bool write(const std::uint8_t* /*bytes*/, std::size_t count) override {
        bytes += count;
        return true;
    }
    std::size_t bytes = 0;
};

void measure(const char* what, const Picture& picture, int runs) {
    std::vector<double> ms;
    std::size_t size = 0;
    for (int i = 0; i < runs; ++i) {
        CountingSink sink;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = weighlet::writePng(picture, sink);
        const auto end = std::chrono::steady_clock::now();
        if (!ok) {
            std::printf("%s: the writer failed\n", what);
            return;
        }
        size = sink.bytes;
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double raw = static_cast<double>(picture.rgb.size());
    std::printf("%-28s %4u x %-4u  level 9: median %8.1f ms, min %8.1f ms (%d runs); "
                "%8zu bytes (%.1f%% of %.0f raw)\n",
                what, picture.width, picture.height, ms[ms.size() / 2], ms.front(), runs, size,
                100.0 * static_cast<double>(size) / raw, raw);
}

} // namespace

int main() {
    measure("desktop", desktop(true), 7);
    measure("desktop, photo viewer empty", desktop(false), 7);
    measure("main window", mainWindow(), 21);
    return 0;
}
