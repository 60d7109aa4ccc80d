#pragma once

#include <QDialog>

namespace draw {

// Asks whether the outside supervisors and paper checkers are saved with the draw.
class Frm保存 : public QDialog {
public:
    explicit Frm保存(QWidget* parent = nullptr);

    // 0 discard (also when closed by the frame), 1 the invigilators only, 2 with the duties.
    int BC = 0;
};

} // namespace draw
