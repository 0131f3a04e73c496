// The icon picture: built into the program, and drawn smoothly so that it fills its frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "tests/win32/window_test_support.h"
#include "ui/win32/gdi_handle.h"
#include "ui/win32/picture.h"

namespace tilewright {
namespace {

// Draws the whole bitmap scaled to fill the frame, as the window draws its picture.
void drawPictureScaled(HDC target, HBITMAP picture, const RECT& frame) {
    drawPixels(target, scaledPicture(picture, frame.right - frame.left, frame.bottom - frame.top),
               frame);
}

// A 32-bit top-down DIB section the test can read pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        const BITMAPINFO info = topDownInfo(width, height);
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels_ = static_cast<std::uint32_t*>(bits);
        dc_.reset(CreateCompatibleDC(nullptr));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Canvas() { SelectObject(dc_.get(), previous_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    [[nodiscard]] HDC dc() const { return dc_.get(); }
    [[nodiscard]] HBITMAP bitmap() const { return bitmap_.get(); }
    [[nodiscard]] COLORREF at(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = pixels_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    void fill(COLORREF colour) {
        const GdiHandle<HBRUSH> brush(CreateSolidBrush(colour));
        RECT all{0, 0, width_, 1 << 16};
        FillRect(dc_.get(), &all, brush.get());
    }

private:
    int width_;
    GdiHandle<HBITMAP> bitmap_;
    MemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

TEST(IconPicture, IsBuiltIntoTheProgram) {
    const GdiHandle<HBITMAP> picture = loadIconPicture(GetModuleHandleW(nullptr));
    ASSERT_TRUE(picture);
    BITMAP info{};
    ASSERT_NE(GetObjectW(picture.get(), sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 207);
    EXPECT_EQ(info.bmHeight, 539);
}

TEST(IconPicture, FillsTheWholeFrameWithThePicture) {
    const GdiHandle<HBITMAP> picture = loadIconPicture(GetModuleHandleW(nullptr));
    ASSERT_TRUE(picture);
    Canvas canvas(103 + 20, 259 + 20);
    const COLORREF unpainted = RGB(255, 0, 255);
    canvas.fill(unpainted);
    const RECT frame{10, 10, 10 + 103, 10 + 259};
    drawPictureScaled(canvas.dc(), picture.get(), frame);
    for (int y = 0; y < 259 + 20; ++y) {
        for (int x = 0; x < 103 + 20; ++x) {
            const bool inside =
                x >= frame.left && x < frame.right && y >= frame.top && y < frame.bottom;
            ASSERT_EQ(canvas.at(x, y) != unpainted, inside) << x << "," << y;
        }
    }
    // The top rows of the picture are its green background only.
    const COLORREF corner = canvas.at(frame.left + 5, frame.top + 5);
    EXPECT_GT(GetGValue(corner), GetRValue(corner));
    EXPECT_GT(GetGValue(corner), GetBValue(corner));
}

TEST(IconPicture, ShrinksSmoothlyInsteadOfDroppingPixels) {
    // A one-pixel black and white checkerboard, halved: dropping pixels keeps pure black or
    // white; averaging gives grey. Its bits are written directly: a bitmap that is selected
    // into a DC cannot be drawn from another one.
    const BITMAPINFO info = topDownInfo(16, 16);
    void* bits = nullptr;
    const GdiHandle<HBITMAP> checkerboard(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(checkerboard);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            pixels[y * 16 + x] = (x + y) % 2 == 0 ? 0x000000 : 0xFFFFFF;
        }
    }
    Canvas target(8, 8);
    drawPictureScaled(target.dc(), checkerboard.get(), RECT{0, 0, 8, 8});
    for (int y = 1; y < 7; ++y) {
        for (int x = 1; x < 7; ++x) {
            const int grey = GetGValue(target.at(x, y));
            EXPECT_GT(grey, 60) << x << "," << y;
            EXPECT_LT(grey, 195) << x << "," << y;
        }
    }
}

TEST(IconPicture, ScalingKeepsFlatColoursAndAveragesAtEveryRatio) {
    const std::vector<std::uint32_t> flat(6 * 4, 0x102030);
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{6, 4}, std::pair{13, 7}}) {
        const auto scaled = scalePixels(flat, 6, 4, width, height);
        ASSERT_EQ(scaled.size(), static_cast<std::size_t>(width * height));
        for (const std::uint32_t pixel : scaled) {
            EXPECT_EQ(pixel, 0x102030u) << width << "x" << height;
        }
    }
    // Three pixels into two: the middle one is shared half and half.
    const std::vector<std::uint32_t> row{0x000000, 0x0000FF, 0x0000FF};
    EXPECT_EQ(scalePixels(row, 3, 1, 2, 1), (std::vector<std::uint32_t>{0x000055, 0x0000FF}));
    // One to the same size changes nothing; bad sizes give nothing.
    const std::vector<std::uint32_t> mixed{0x010203, 0xA0B0C0, 0xFFFFFF, 0x000000};
    EXPECT_EQ(scalePixels(mixed, 2, 2, 2, 2), mixed);
    EXPECT_TRUE(scalePixels(mixed, 3, 2, 2, 2).empty());
    EXPECT_TRUE(scalePixels(mixed, 2, 2, 0, 2).empty());
}

// The window scales the picture once for its frame and keeps it; when the frame's size changes
// with the DPI (and back), it draws the picture at the new size.
TEST(IconPicture, TheWindowDrawsThePictureAtEachSizeItsFrameTakes) {
    test::ScriptedForm1 form;
    const GdiHandle<HBITMAP> picture = loadIconPicture(GetModuleHandleW(nullptr));
    ASSERT_TRUE(picture);
    const HWND frame = form.control(layout::ControlId::Image1);
    for (const auto& [width, height] :
         {std::pair{103, 259}, std::pair{155, 389}, std::pair{103, 259}, std::pair{103, 259}}) {
        SCOPED_TRACE(::testing::Message() << width << "x" << height);
        Canvas drawn(width, height);
        Canvas expected(width, height);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_STATIC;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(frame));
        item.hwndItem = frame;
        item.hDC = drawn.dc();
        item.rcItem = RECT{0, 0, width, height};
        SendMessageW(form.handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        drawPictureScaled(expected.dc(), picture.get(), item.rcItem);
        int differing = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                differing += drawn.at(x, y) != expected.at(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(IconPicture, NoPictureDrawsNothing) {
    Canvas canvas(4, 4);
    canvas.fill(RGB(1, 2, 3));
    drawPictureScaled(canvas.dc(), nullptr, RECT{0, 0, 4, 4});
    EXPECT_EQ(canvas.at(2, 2), RGB(1, 2, 3));
}

}  // namespace
}  // namespace tilewright
