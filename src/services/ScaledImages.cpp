#include "services/ScaledImages.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "services/Dpi.h"

namespace {
struct Tap {
    int Index;
    double Weight;
};

// For each of to new pixels along one axis, the old pixels it covers and their shares of it.
std::vector<std::vector<Tap>> TapsAlong(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        const double start = d * step, end = start + step;
        for (int s = static_cast<int>(std::floor(start)); s < from && s < end; ++s) {
            const double covered = std::min(end, s + 1.0) - std::max(start, static_cast<double>(s));
            if (covered > 0) taps[static_cast<size_t>(d)].push_back({s, covered / step});
        }
    }
    return taps;
}

std::uint8_t Channel(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// A 24-bit top-down DIB section holding the pixels; 24 bits, because a static control of common
// controls 6 copies a 32-bit bitmap it is given and the form would then free a bitmap nobody shows.
GdiObject BitmapOf(const std::vector<std::uint32_t>& pixels, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return GdiObject();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = rows + stride * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            *out++ = static_cast<std::uint8_t>(p);        // blue
            *out++ = static_cast<std::uint8_t>(p >> 8);   // green
            *out++ = static_cast<std::uint8_t>(p >> 16);  // red
        }
    }
    ::GdiFlush();
    return bitmap;
}

GdiObject LoadRendering(HINSTANCE instance, const std::wstring& name) {
    return GdiObject(::LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
}  // namespace

int ScaledImages::RenderingFor(int dpi) {
    if (dpi <= Dpi::kLayout) return 100;
    if (dpi * 2 <= Dpi::kLayout * 3) return 150;
    return 200;
}

GdiObject ScaledImages::LoadBitmapFor(HINSTANCE instance, const std::wstring& name, int width, int height, int dpi) {
    const int rendering = RenderingFor(dpi);
    GdiObject source = LoadRendering(instance, rendering == 100 ? name : name + L"_" + std::to_wstring(rendering));
    // A picture without its larger renderings is still shown, as the 96-DPI one resized.
    if (!source) source = LoadRendering(instance, name);
    if (!source) return GdiObject();
    BITMAP stored{};
    if (::GetObjectW(source.get(), sizeof(stored), &stored) && stored.bmWidth == width && stored.bmHeight == height)
        return source;
    int sourceWidth = 0, sourceHeight = 0;
    const std::vector<std::uint32_t> pixels = PixelsOf(static_cast<HBITMAP>(source.get()), sourceWidth, sourceHeight);
    if (pixels.empty() || width <= 0 || height <= 0) return GdiObject();
    return BitmapOf(Resample(pixels, sourceWidth, sourceHeight, width, height), width, height);
}

IconHandle ScaledImages::LoadIconFor(HINSTANCE instance, const wchar_t* name, int size) {
    // LoadIconWithScaleDown (comctl32 6) takes a larger image and reduces it where LoadImage would
    // enlarge a smaller one; it is looked up because only the side-by-side comctl32 has it.
    using LoadScaledDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto loadScaledDown = [] {
        HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
        return comctl ? reinterpret_cast<LoadScaledDown>(
                            reinterpret_cast<void*>(::GetProcAddress(comctl, "LoadIconWithScaleDown")))
                      : nullptr;
    }();
    HICON icon = nullptr;
    if (loadScaledDown && SUCCEEDED(loadScaledDown(instance, name, size, size, &icon)) && icon) return IconHandle(icon);
    return IconHandle(static_cast<HICON>(::LoadImageW(instance, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

std::vector<std::uint32_t> ScaledImages::Resample(const std::vector<std::uint32_t>& pixels, int width, int height,
                                                  int newWidth, int newHeight) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0 ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    if (width == newWidth && height == newHeight) return pixels;
    const auto across = TapsAlong(width, newWidth), down = TapsAlong(height, newHeight);
    // Across first, into three channels per pixel, then down.
    std::vector<double> rows(static_cast<size_t>(height) * static_cast<size_t>(newWidth) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < newWidth; ++x) {
            double r = 0, g = 0, b = 0;
            for (const Tap& t : across[static_cast<size_t>(x)]) {
                const std::uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(t.Index)];
                r += ((p >> 16) & 0xFF) * t.Weight;
                g += ((p >> 8) & 0xFF) * t.Weight;
                b += (p & 0xFF) * t.Weight;
            }
            double* out = &rows[(static_cast<size_t>(y) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)) * 3];
            out[0] = r;
            out[1] = g;
            out[2] = b;
        }
    }
    std::vector<std::uint32_t> result(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
    for (int y = 0; y < newHeight; ++y) {
        for (int x = 0; x < newWidth; ++x) {
            double r = 0, g = 0, b = 0;
            for (const Tap& t : down[static_cast<size_t>(y)]) {
                const double* in = &rows[(static_cast<size_t>(t.Index) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)) * 3];
                r += in[0] * t.Weight;
                g += in[1] * t.Weight;
                b += in[2] * t.Weight;
            }
            result[static_cast<size_t>(y) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)] =
                (static_cast<std::uint32_t>(Channel(r)) << 16) | (static_cast<std::uint32_t>(Channel(g)) << 8) | Channel(b);
        }
    }
    return result;
}

std::vector<std::uint32_t> ScaledImages::PixelsOf(HBITMAP bitmap, int& width, int& height) {
    width = height = 0;
    BITMAP header{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(header), &header) || header.bmWidth <= 0 || header.bmHeight <= 0)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = header.bmWidth;
    info.bmiHeader.biHeight = -header.bmHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(header.bmWidth) * static_cast<size_t>(header.bmHeight));
    const WindowDC screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(header.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) !=
        header.bmHeight)
        return {};
    for (auto& p : pixels) p &= 0x00FFFFFF;
    width = header.bmWidth;
    height = header.bmHeight;
    return pixels;
}
