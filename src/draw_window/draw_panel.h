#pragma once

#include "draw/draw_engine.h"
#include "draw_window/room_boxes.h"

#include <QSize>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QFontMetrics;
class QFrame;
class QLabel;
class QPushButton;

namespace draw {

// The controls of the draw window laid out as designed for a 1024x768 screen and scaled
// to the window: the title lines, the six rule boxes, the five buttons and the room boxes,
// all in one frame centred in the window.
class DrawPanel {
public:
    explicit DrawPanel(QWidget* window);

    QFrame* panelFrame;
    QLabel* examLabel;
    QLabel* siteLabel;
    QLabel* subjectLabel;
    QLabel* recordLabel; // after a save: the subject's draws, the one saved, the ledger's code
    QPushButton* Cmd抽签;
    QPushButton* Cmd选抽签人;
    QPushButton* Cmd保存;
    QPushButton* Cmd加载;
    QPushButton* Cmd打印;
    std::array<QCheckBox*, engine::kRuleCount> checks{}; // Check1..Check6, in the order of engine::Rule
    std::unique_ptr<RoomBoxes> boxes;

    // What a run puts back when the engine finds its rules cannot be met: which of the four
    // other buttons and the rule boxes were enabled, and what the room boxes and the line under
    // the subject showed.
    struct Snapshot {
        QStringList texts;
        QString record;
        std::array<bool, 4> buttons{};
        std::array<bool, engine::kRuleCount> checks{};
    };
    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);

    void setRuleBoxesEnabled(bool enabled);

    // Scales everything to a window of `size`; `widestText` measures the widest room text.
    // Gives the scale: pixels per 15 twips.
    double place(QSize size, const std::function<int(const QFontMetrics&)>& widestText);

private:
    QWidget* window_;
};

} // namespace draw
