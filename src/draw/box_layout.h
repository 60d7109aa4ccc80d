#pragma once

// Where the draw window's room boxes go. Lengths are twips of the 1024x768 screen the
// arrangement was designed for (15 twips a pixel); the window scales them to its screen.

#include <QPoint>

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

} // namespace draw
