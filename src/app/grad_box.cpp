#include "app/grad_box.h"

#include <algorithm>
#include <cmath>

long long RoundHalfEven(long double value) {
    long double floor = std::floor(value);
    long double fraction = value - floor;
    auto result = static_cast<long long>(floor);
    if (fraction > 0.5L) return result + 1;
    if (fraction < 0.5L) return result;
    return (result % 2 == 0) ? result : result + 1;
}

namespace {

// One channel of band i: the division and the multiplication in floating point, then rounded.
int BandChannel(int from, int to, int steps, int band) {
    long double delta = static_cast<long double>(to - from) / steps * band;
    long long value = from + RoundHalfEven(delta);
    return static_cast<int>(std::clamp<long long>(value, 0, 255));
}

COLORREF BandColor(COLORREF start, COLORREF end, int steps, int band) {
    return RGB(BandChannel(GetRValue(start), GetRValue(end), steps, band),
               BandChannel(GetGValue(start), GetGValue(end), steps, band),
               BandChannel(GetBValue(start), GetBValue(end), steps, band));
}

RECT BandRect(TGradDirection direction, long long from, long long to, int width, int height) {
    auto a = static_cast<LONG>(from);
    auto b = static_cast<LONG>(to);
    if (direction == gdVertical) return RECT{0, a, width, b};
    return RECT{a, 0, b, height};
}

}  // namespace

std::vector<GradBand> ComputeGradBands(COLORREF startColor, COLORREF endColor, int gradStep,
                                       TGradDirection direction, int width, int height) {
    int steps = std::clamp(gradStep, 0, 255) + 1;
    width = std::max(width, 0);
    height = std::max(height, 0);
    int extent = direction == gdVertical ? height : width;
    long long bandSize = RoundHalfEven(static_cast<long double>(extent) / steps);
    if (bandSize == 0) bandSize = 1;

    std::vector<GradBand> bands;
    bands.reserve(static_cast<size_t>(steps) + 2);
    for (int i = 0; i <= steps; ++i) {
        bands.push_back(GradBand{BandRect(direction, i * bandSize, (i + 1) * bandSize, width, height),
                                 BandColor(startColor, endColor, steps, i)});
    }
    long long covered = (steps + 1) * bandSize;
    if (covered < extent)
        bands.push_back(GradBand{BandRect(direction, covered, extent, width, height),
                                 RGB(GetRValue(endColor), GetGValue(endColor), GetBValue(endColor))});
    return bands;
}

TGradBox::TGradBox() { SetBounds(0, 0, Scaled(128), Scaled(128)); }

void TGradBox::Changed() {
    Invalidate();
    if (OnChange) {
        // A copy: the handler may replace the event while it runs.
        std::function<void()> handler = OnChange;
        handler();
    }
}

void TGradBox::SetColor(int index, COLORREF color) {
    if (index == 1)
        startColor_ = color;
    else
        endColor_ = color;
    Changed();
}

void TGradBox::SetGradStep(std::uint8_t gradStep) {
    gradStep_ = gradStep;
    Changed();
}

void TGradBox::SetDirection(TGradDirection direction) {
    if (direction_ == direction) return;
    direction_ = direction;
    Changed();
}

void TGradBox::Paint(HDC dc, const RECT& bounds) {
    // On palette devices the steps follow the colours the device can really show.
    COLORREF start = ResolveColor(startColor_);
    COLORREF end = ResolveColor(endColor_);
    COLORREF nearestStart = GetNearestColor(dc, start);
    COLORREF nearestEnd = GetNearestColor(dc, end);
    if (nearestStart != CLR_INVALID) start = nearestStart;
    if (nearestEnd != CLR_INVALID) end = nearestEnd;
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    for (const GradBand& band : ComputeGradBands(start, end, gradStep_, direction_, width, height)) {
        RECT r = band.Rect;
        OffsetRect(&r, bounds.left, bounds.top);
        if (!IntersectRect(&r, &r, &bounds)) continue;  // past the control: clipped away
        HBRUSH brush = CreateSolidBrush(band.Color);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}
