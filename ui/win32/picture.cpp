#include "ui/win32/picture.h"

#include <algorithm>
#include <cmath>

#include "ui/win32/resource_ids.h"

namespace tilewright {

namespace {

struct Tap {
    int index;
    double weight;
};

// For each target pixel along one axis, the source pixels it covers and their shares.
std::vector<std::vector<Tap>> axisTaps(int sourceSize, int targetSize) {
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetSize));
    const double scale = static_cast<double>(sourceSize) / targetSize;
    for (int t = 0; t < targetSize; ++t) {
        const double begin = t * scale;
        const double end = (t + 1) * scale;
        for (int s = static_cast<int>(begin); s < sourceSize && s < end; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
            if (overlap > 0.0) {
                taps[static_cast<std::size_t>(t)].push_back({s, overlap / scale});
            }
        }
    }
    return taps;
}

}  // namespace

BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

GdiHandle<HBITMAP> loadIconPicture(HINSTANCE module) {
    return GdiHandle<HBITMAP>(static_cast<HBITMAP>(LoadImageW(
        module, MAKEINTRESOURCEW(TILEWRIGHT_IDB_ICONS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

std::vector<std::uint32_t> scalePixels(std::span<const std::uint32_t> source, int sourceWidth,
                                       int sourceHeight, int targetWidth, int targetHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0 ||
        source.size() < static_cast<std::size_t>(sourceWidth) * sourceHeight) {
        return {};
    }
    const auto columns = axisTaps(sourceWidth, targetWidth);
    const auto rows = axisTaps(sourceHeight, targetHeight);
    std::vector<std::uint32_t> target(static_cast<std::size_t>(targetWidth) * targetHeight);
    for (int y = 0; y < targetHeight; ++y) {
        for (int x = 0; x < targetWidth; ++x) {
            double sums[3]{};
            for (const Tap& row : rows[static_cast<std::size_t>(y)]) {
                for (const Tap& column : columns[static_cast<std::size_t>(x)]) {
                    const std::uint32_t pixel =
                        source[static_cast<std::size_t>(row.index) * sourceWidth + column.index];
                    const double weight = row.weight * column.weight;
                    for (int channel = 0; channel < 3; ++channel) {
                        sums[channel] += weight * ((pixel >> (8 * channel)) & 0xFF);
                    }
                }
            }
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const auto value =
                    static_cast<std::uint32_t>(std::clamp(std::lround(sums[channel]), 0L, 255L));
                pixel |= value << (8 * channel);
            }
            target[static_cast<std::size_t>(y) * targetWidth + x] = pixel;
        }
    }
    return target;
}

std::vector<std::uint32_t> scaledPicture(HBITMAP picture, int width, int height) {
    BITMAP bitmap{};
    if (picture == nullptr || GetObjectW(picture, sizeof bitmap, &bitmap) == 0) {
        return {};
    }
    std::vector<std::uint32_t> source(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    BITMAPINFO sourceInfo = topDownInfo(bitmap.bmWidth, bitmap.bmHeight);
    const HDC screen = GetDC(nullptr);
    const int copied = GetDIBits(screen, picture, 0, static_cast<UINT>(bitmap.bmHeight),
                                 source.data(), &sourceInfo, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (copied != bitmap.bmHeight) {
        return {};
    }
    return scalePixels(source, bitmap.bmWidth, bitmap.bmHeight, width, height);
}

void drawPixels(HDC target, std::span<const std::uint32_t> pixels, const RECT& frame) {
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height) {
        return;
    }
    const BITMAPINFO info = topDownInfo(width, height);
    StretchDIBits(target, frame.left, frame.top, width, height, 0, 0, width, height, pixels.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace tilewright
