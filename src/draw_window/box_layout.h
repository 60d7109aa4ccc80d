#pragma once

// Where the draw window's room boxes go. Lengths are twips of the 1024x768 screen the
// arrangement was designed for (15 twips a pixel); the window scales them to its screen.

#include <QPoint>

#include <functional>

namespace draw {

inline constexpr int kRoomBoxes = 161;    // boxes 0..160; box i - 1 shows room i
inline constexpr int kMaxDrawRooms = 154; // the largest band holds 7 x 22 boxes

struct BoxBand {
    int columns = 0;
    int rows = 0; // boxes per column; they fill column by column
    int top0 = 0;
    int margin = 0;
    int pitch = 0; // column to column
    int step = 0;  // row to row
    int font = 16; // points
    int width = 3000;
    int height = 450;
};

// The band for `rooms` (0 to kMaxDrawRooms). `wide` when Check5 is not 0: the text then
// carries the outside supervisor and the boxes are wider.
BoxBand boxBand(int rooms, bool wide);

// Top-left corner of box k.
QPoint boxPosition(const BoxBand& band, int k);

// The design: a frame of 15000 x 9900 twips on the 1024x768 screen. The controls sit in a
// band at the top, above the highest first box of any band (Top0 >= 1440).
inline constexpr int kFrameWidth = 15000;
inline constexpr int kFrameHeight = 9900;

// Where a control of the band above the boxes goes, and its type size in points.
struct ControlPlace {
    int x, y, width, height, points;
};
// The three title lines (exam, site, subject) and, under them, what the ledger says after a save.
ControlPlace titlePlace(int line);
// The six rule boxes, two columns of three.
ControlPlace rulePlace(int i);
// The five buttons, two columns.
ControlPlace buttonPlace(int i);

// The box sizes are measured with names and room numbers of at most this many characters;
// a longer one (a pasted sentence) is elided rather than shrinking every room's text.
inline constexpr int kMeasuredPieceLength = 16;

// Twips of the design screen in one pixel and in one point.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerPoint = 20;

// The box size and font the boxes of a band get at `scale` (pixels per 15 twips).
struct BoxFit {
    int fontPx = 0;
    int width = 0;
    int height = 0;
};

// The tables' sizes come from one screen font; other fonts and longer names would be cut
// off or run into the neighbour. A box grows into the gap to its neighbours as far as the
// pitch allows, and only then the font shrinks, down to a size still read from across the
// room; a text wider than that is elided in its box.
// `widestAt(fontPx)` gives the advance of the widest box text at that pixel size.
BoxFit fitBoxes(const BoxBand& band, double scale, const std::function<int(int fontPx)>& widestAt);

} // namespace draw
