// The gradient control: band computation, property rules and its paint.
#include <gtest/gtest.h>

#include "app/grad_box.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The colour a vertical gradient shows at row y (the last band covering it wins, as painted).
COLORREF RowColor(const std::vector<GradBand>& bands, int y) {
    COLORREF color = CLR_INVALID;
    for (const GradBand& band : bands)
        if (y >= band.Rect.top && y < band.Rect.bottom) color = band.Color;
    return color;
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(3.5L), 4);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0);
    EXPECT_EQ(RoundHalfEven(-1.5L), -2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.4999L), 2);
    EXPECT_EQ(RoundHalfEven(2.5001L), 3);
    EXPECT_EQ(RoundHalfEven(-1.9767L), -2);
}

TEST(GradBandsTest, ZeroStepsGivesTwoFullSizeBandsShowingOnlyTheStartColour) {
    auto bands = ComputeGradBands(kBlue, kBlack, 0, gdVertical, 50, 100);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].Rect.top, 0);
    EXPECT_EQ(bands[0].Rect.bottom, 100);
    EXPECT_EQ(bands[0].Rect.left, 0);
    EXPECT_EQ(bands[0].Rect.right, 50);
    EXPECT_EQ(bands[0].Color, kBlue);
    EXPECT_EQ(bands[1].Rect.top, 100);  // past the control: clipped away
    EXPECT_EQ(bands[1].Rect.bottom, 200);
    EXPECT_EQ(bands[1].Color, kBlack);
    EXPECT_EQ(RowColor(bands, 99), kBlue);
}

TEST(GradBandsTest, ManyStepsOnAShortControlUseOnePixelBands) {
    auto bands = ComputeGradBands(kBlue, kBlack, 255, gdVertical, 10, 100);
    ASSERT_EQ(bands.size(), 257u);  // no rest: the bands reach past the control
    for (int i = 0; i < 257; ++i) {
        EXPECT_EQ(bands[i].Rect.top, i);
        EXPECT_EQ(bands[i].Rect.bottom, i + 1);
    }
    EXPECT_EQ(bands[0].Color, kBlue);
    EXPECT_EQ(bands[256].Color, kBlack);
    // Only the first 100 bands are visible: the bottom row is still far from black.
    EXPECT_EQ(GetBValue(RowColor(bands, 99)), 255 - RoundHalfEven(255.0L / 256 * 99));
    EXPECT_GT(GetBValue(RowColor(bands, 99)), 150);
}

TEST(GradBandsTest, DesignSizeLeavesARestFilledWithTheEndColour) {
    auto bands = ComputeGradBands(kBlue, kBlack, 128, gdVertical, 490, 298);
    ASSERT_EQ(bands.size(), 131u);  // 130 bands and the rest
    EXPECT_EQ(bands[0].Rect.bottom, 2);
    EXPECT_EQ(bands[129].Rect.top, 258);
    EXPECT_EQ(bands[129].Rect.bottom, 260);
    EXPECT_EQ(bands[129].Color, kBlack);
    EXPECT_EQ(bands[130].Rect.top, 260);
    EXPECT_EQ(bands[130].Rect.bottom, 298);
    EXPECT_EQ(bands[130].Rect.right, 490);
    EXPECT_EQ(bands[130].Color, kBlack);
    // Blue fades by 255/129 per band: 253 (1.98 rounds to 2), then 128 at band 64 (126.5..).
    EXPECT_EQ(bands[1].Color, RGB(0, 0, 253));
    EXPECT_EQ(bands[64].Color, RGB(0, 0, 255 - 127));
    for (int y = 0; y < 298; ++y) EXPECT_NE(RowColor(bands, y), CLR_INVALID) << y;
}

TEST(GradBandsTest, TallControlFillsTheLastThreePixels) {
    auto bands = ComputeGradBands(kBlue, kBlack, 128, gdVertical, 100, 653);
    ASSERT_EQ(bands.size(), 131u);
    EXPECT_EQ(bands[0].Rect.bottom, 5);
    EXPECT_EQ(bands[129].Rect.bottom, 650);
    EXPECT_EQ(bands[130].Rect.top, 650);
    EXPECT_EQ(bands[130].Rect.bottom, 653);
    EXPECT_EQ(bands[130].Color, kBlack);
}

TEST(GradBandsTest, NoRestWhenTheBandsCoverTheControl) {
    auto bands = ComputeGradBands(kBlue, kBlack, 128, gdVertical, 100, 260);
    EXPECT_EQ(bands.size(), 130u);
}

TEST(GradBandsTest, HalvesRoundToEvenInSizeAndColour) {
    // Extent 5 over 2 steps: 2.5 -> 2; red 0 -> 5 over 2 steps: band 1 is 2.5 -> 2.
    auto bands = ComputeGradBands(RGB(0, 0, 0), RGB(5, 0, 0), 1, gdVertical, 10, 5);
    ASSERT_GE(bands.size(), 3u);
    EXPECT_EQ(bands[0].Rect.bottom, 2);
    EXPECT_EQ(GetRValue(bands[1].Color), 2);
    EXPECT_EQ(GetRValue(bands[2].Color), 5);
    // Extent 7 over 2 steps: 3.5 -> 4; red 0 -> 7: band 1 is 3.5 -> 4.
    bands = ComputeGradBands(RGB(0, 0, 0), RGB(7, 0, 0), 1, gdVertical, 10, 7);
    EXPECT_EQ(bands[0].Rect.bottom, 4);
    EXPECT_EQ(GetRValue(bands[1].Color), 4);
}

TEST(GradBandsTest, HorizontalBandsRunFromTheLeft) {
    auto bands = ComputeGradBands(RGB(255, 255, 255), RGB(0, 0, 0), 3, gdHorizontal, 40, 30);
    ASSERT_EQ(bands.size(), 5u);  // 4 steps of 10 pixels: 5 bands, the last one clipped
    EXPECT_EQ(bands[0].Rect.left, 0);
    EXPECT_EQ(bands[0].Rect.right, 10);
    EXPECT_EQ(bands[0].Rect.top, 0);
    EXPECT_EQ(bands[0].Rect.bottom, 30);
    EXPECT_EQ(bands[3].Rect.left, 30);
    EXPECT_EQ(bands[0].Color, RGB(255, 255, 255));
    EXPECT_EQ(bands[1].Color, RGB(191, 191, 191));  // 255 - 63.75 -> 255 - 64
    EXPECT_EQ(bands[2].Color, RGB(127, 127, 127));  // 255 - 127.5 -> 255 - 128
    EXPECT_EQ(bands[4].Color, RGB(0, 0, 0));
}

TEST(GradBoxTest, ConstructorDefaults) {
    TGradBox box;
    EXPECT_EQ(box.Width(), 128);
    EXPECT_EQ(box.Height(), 128);
    EXPECT_EQ(box.StartColor(), RGB(255, 255, 255));
    EXPECT_EQ(box.EndColor(), RGB(0, 0, 0));
    EXPECT_EQ(box.GradStep(), 128);
    EXPECT_EQ(box.Direction(), gdVertical);
}

TEST(GradBoxTest, SettersAndOnChange) {
    TGradBox box;
    int changes = 0;
    box.OnChange = [&] { ++changes; };

    box.SetStartColor(RGB(1, 2, 3));
    EXPECT_EQ(box.StartColor(), RGB(1, 2, 3));
    EXPECT_EQ(changes, 1);
    box.SetStartColor(RGB(1, 2, 3));  // unchanged: still reported
    EXPECT_EQ(changes, 2);
    box.SetEndColor(RGB(4, 5, 6));
    EXPECT_EQ(box.EndColor(), RGB(4, 5, 6));
    EXPECT_EQ(changes, 3);
    box.SetColor(7, RGB(9, 9, 9));  // any index but 1 is the end colour
    EXPECT_EQ(box.EndColor(), RGB(9, 9, 9));
    EXPECT_EQ(box.StartColor(), RGB(1, 2, 3));
    EXPECT_EQ(changes, 4);

    box.SetGradStep(128);  // unchanged: still reported
    EXPECT_EQ(changes, 5);
    box.SetGradStep(3);
    EXPECT_EQ(box.GradStep(), 3);
    EXPECT_EQ(changes, 6);

    box.SetDirection(gdVertical);  // unchanged: nothing
    EXPECT_EQ(changes, 6);
    box.SetDirection(gdHorizontal);
    EXPECT_EQ(box.Direction(), gdHorizontal);
    EXPECT_EQ(changes, 7);
}

TEST(GradBoxTest, SettersWithoutHandlerJustStore) {
    TGradBox box;
    box.SetGradStep(0);
    box.SetDirection(gdHorizontal);
    EXPECT_EQ(box.GradStep(), 0);
    EXPECT_EQ(box.Direction(), gdHorizontal);
}

// Paints like the background window's gradient into a 24-bit memory bitmap and reads it back.
TEST(GradBoxTest, PaintsBlueToBlackWithTheRestBlack) {
    const int width = 490, height = 298;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    TGradBox box;
    box.SetStartColor(kBlue);
    box.SetEndColor(kBlack);
    box.SetBounds(0, 0, width, height);
    box.Paint(dc, RECT{0, 0, width, height});

    auto bands = ComputeGradBands(kBlue, kBlack, 128, gdVertical, width, height);
    EXPECT_EQ(GetPixel(dc, 0, 0), kBlue);
    EXPECT_EQ(GetPixel(dc, width - 1, 1), kBlue);
    EXPECT_EQ(GetPixel(dc, 10, 2), RGB(0, 0, 253));
    EXPECT_EQ(GetPixel(dc, 10, 259), kBlack);
    EXPECT_EQ(GetPixel(dc, 10, 297), kBlack);
    for (int y = 0; y < height; y += 7) EXPECT_EQ(GetPixel(dc, 245, y), RowColor(bands, y)) << y;

    // Bounds inside a larger surface: nothing is painted outside them.
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    box.SetGradStep(0);
    box.Paint(dc, RECT{10, 20, 60, 70});
    EXPECT_EQ(GetPixel(dc, 10, 20), kBlue);
    EXPECT_EQ(GetPixel(dc, 59, 69), kBlue);  // step 0: only the start colour is visible
    EXPECT_EQ(GetPixel(dc, 60, 70), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 9, 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 30, 75), RGB(255, 255, 255));

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
