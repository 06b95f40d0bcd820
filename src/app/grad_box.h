#pragma once
// TGradBox: a windowless control that fills its area with colour bands from StartColor to
// EndColor, painted by its form.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/form.h"

enum TGradDirection { gdHorizontal, gdVertical };

struct GradBand {
    RECT Rect;  // relative to the control's top-left corner; may reach past the control
    COLORREF Color;
};

// Rounds halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
long long RoundHalfEven(long double value);

// The bands of a gradient of the given size: GradStep + 2 bands of equal size along the
// direction (at least one pixel), the colour of band i being start + round((end - start) / n * i)
// per channel with n = GradStep + 1; when the bands end short of the extent, one more band in
// the end colour fills the rest. The colours are used as given (the paint maps them to the
// device first).
std::vector<GradBand> ComputeGradBands(COLORREF startColor, COLORREF endColor, int gradStep,
                                       TGradDirection direction, int width, int height);

class TGradBox : public GraphicControl {
public:
    // 128 x 128 pixels at 96 dpi, white to black, 128 steps, vertical.
    TGradBox();

    COLORREF StartColor() const { return startColor_; }
    COLORREF EndColor() const { return endColor_; }
    void SetStartColor(COLORREF color) { SetColor(1, color); }
    void SetEndColor(COLORREF color) { SetColor(2, color); }
    // The shared colour setter: index 1 is the start colour, any other the end colour.
    // Stores, repaints and calls OnChange, even when the value is unchanged.
    void SetColor(int index, COLORREF color);

    std::uint8_t GradStep() const { return gradStep_; }
    // Stores, repaints and calls OnChange, even when the value is unchanged.
    void SetGradStep(std::uint8_t gradStep);

    TGradDirection Direction() const { return direction_; }
    // Does nothing when unchanged; otherwise stores, repaints and calls OnChange.
    void SetDirection(TGradDirection direction);

    std::function<void()> OnChange;

    // Paints the bands into dc at bounds, mapping the colours to the nearest ones dc can show.
    void Paint(HDC dc, const RECT& bounds) override;

private:
    void Changed();

    COLORREF startColor_ = RGB(255, 255, 255);
    COLORREF endColor_ = RGB(0, 0, 0);
    std::uint8_t gradStep_ = 128;
    TGradDirection direction_ = gdVertical;
};
