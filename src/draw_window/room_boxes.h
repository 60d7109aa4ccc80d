#pragma once

#include "draw/draw_engine.h"
#include "draw_window/box_layout.h"
#include "store/working_set.h"

#include <QPalette>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>

class QFontMetrics;
class QLineEdit;
class QWidget;

namespace draw {

// The room boxes of the draw window: one per room, in the band for the room count, fitted
// to the window's scale and painted in the project's colours. Box k shows room k + 1.
class RoomBoxes {
public:
    explicit RoomBoxes(QWidget* frame);

    const QVector<QLineEdit*>& boxes() const { return boxes_; }

    // The project's colours as stored: "r,g,b" texts.
    void setColours(const QString& textRgb, const QString& backRgb);

    // Shows the boxes of `rooms` rooms, wider when they carry the outside supervisor. With
    // more rooms than a band holds only box 0 stays, showing `notice`; false then.
    bool arrange(int rooms, bool wide, const QString& notice);
    bool tooMany() const { return tooMany_; }

    // Sizes and places the boxes at `scale` pixels per 15 twips; `widestText` measures the
    // widest text the rooms can show, besides the texts shown that the rooms do not make.
    void place(double scale, const std::function<int(const QFontMetrics&)>& widestText);

    // Rooms beyond the boxes are not shown; with too many rooms box 0 keeps the notice.
    void setText(int box, const QString& text);
    // A shown text not built from the rooms (a loaded draw): the boxes are sized for it too.
    void keepFitting(const QString& text) { extraTexts_ << text; }

    // Room i of `ws` with A person a[i] and B person b[i], and the supervisor of the room
    // when `supervisors` is given; with `flash`, each box in one of the flashing colours.
    void showRooms(const engine::WorkingSet& ws, const QVector<int>& a, const QVector<int>& b,
                   const QVector<QString>* supervisors, engine::RandomSource* flash = nullptr);

    QStringList texts() const;
    void setTexts(const QStringList& texts);

    void paintNormal(int count);
    // Box `box` inverted, the box highlighted before back to normal.
    void highlight(int box);

private:
    QVector<QLineEdit*> boxes_;
    BoxBand band_;
    bool tooMany_ = false;
    int highlighted_ = -1;
    QStringList extraTexts_;
    QPalette normal_;
    QPalette inverted_;
    std::array<QPalette, 6> flashing_;
};

} // namespace draw
