#include "draw_window/box_layout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace draw {

namespace {

struct BandRow {
    int upTo;
    BoxBand band;
};

// Columns, rows, Top0, margin, pitch, step, font, width, height.
constexpr std::array<BandRow, 7> kNarrow{{
    {20, {4, 5, 2840, 200, 3850, 1200, 16, 3000, 450}},
    {40, {4, 10, 1890, 200, 3850, 750, 16, 3000, 450}},
    {60, {5, 12, 1740, 200, 2950, 660, 14, 2800, 450}},
    {80, {6, 16, 1540, 150, 3050, 515, 13, 2500, 260}},
    {100, {5, 20, 1440, 150, 3050, 420, 13, 2500, 280}},
    {120, {6, 20, 1440, 150, 2450, 420, 11, 2200, 200}},
    {154, {7, 22, 1440, 150, 2110, 385, 10, 2000, 200}},
}};

constexpr std::array<BandRow, 7> kWide{{
    {21, {3, 7, 2540, 200, 5150, 850, 16, 4300, 450}},
    {45, {3, 15, 1640, 200, 5150, 530, 16, 4300, 450}},
    {60, {4, 15, 1640, 200, 3700, 550, 12, 3500, 200}},
    {80, {4, 20, 1540, 200, 3700, 410, 12, 3500, 200}},
    {100, {5, 20, 1540, 70, 3000, 410, 10, 2800, 210}},
    {120, {5, 25, 1500, 70, 3000, 330, 10, 2800, 210}},
    {154, {5, 31, 1440, 70, 3000, 270, 10, 2800, 150}},
}};

// Box text needs the line editor's inner margins besides its own advance.
constexpr int kTextPadding = 8;
// Below this, or below three quarters of the band's own size, a box text is no longer read
// from across a room; a text that still does not fit is elided instead (RoomBoxes).
constexpr int kMinBoxFontPx = 9;

} // namespace

BoxBand boxBand(int rooms, bool wide) {
    const auto& table = wide ? kWide : kNarrow;
    for (const BandRow& row : table) {
        if (rooms <= row.upTo)
            return row.band;
    }
    return table.back().band;
}

QPoint boxPosition(const BoxBand& band, int k) {
    const int column = k / band.rows;
    const int row = k % band.rows;
    return {band.margin + band.pitch * column, band.top0 + band.step * row};
}

ControlPlace titlePlace(int line) {
    static constexpr ControlPlace kTitles[4] = {{3800, 20, 7400, 480, 18},
                                                {3800, 520, 7400, 360, 13},
                                                {3800, 890, 7400, 320, 12},
                                                {3300, 1220, 8400, 200, 8}};
    return kTitles[line];
}

ControlPlace rulePlace(int i) {
    return {150 + 1800 * (i / 3), 100 + 420 * (i % 3), 1750, 380, 9};
}

ControlPlace buttonPlace(int i) {
    return {12250 + 1350 * (i % 2), 100 + 420 * (i / 2), 1300, 380, 9};
}

BoxFit fitBoxes(const BoxBand& band, double scale, const std::function<int(int fontPx)>& widestAt) {
    const auto px = [scale](int twips) {
        return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
    };
    const int width = px(band.width);
    const int height = px(band.height);
    const int widthLimit = std::max(width, px(band.pitch) - 2);
    const int heightLimit = std::max(height, px(band.step) - 2);
    const int bandPx = static_cast<int>(std::lround(band.font * kTwipsPerPoint * scale / kTwipsPerPixel));
    const int smallest = std::max(kMinBoxFontPx, bandPx * 3 / 4);
    int fontPx = std::max(smallest, bandPx);
    for (;; --fontPx) {
        const int needWidth = widestAt(fontPx) + kTextPadding;
        // CJK glyphs fill about one em; the line editor centres them in the box.
        const int needHeight = static_cast<int>(std::ceil(fontPx * 1.2));
        if ((needWidth <= widthLimit && needHeight <= heightLimit) || fontPx <= smallest)
            return {fontPx, std::clamp(needWidth, width, widthLimit),
                    std::clamp(needHeight, height, heightLimit)};
    }
}

} // namespace draw
