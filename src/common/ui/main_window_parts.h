#pragma once

#include <QString>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace common::ui {

// The read-only overview box of both main windows (`Txt基本情况`): a CJK monospace face, so
// the rules of dashes and the columns of the timetable line up.
QPlainTextEdit* createOverviewBox(QWidget* parent, int minimumHeight);

// The program's name at the top of a main window (`Label1`).
QLabel* createTitleLabel(const QString& text, int points, QWidget* parent);

// The status line under the overview that says which database the run uses; its text can be
// selected, so a path can be copied into a message to support.
QLabel* createDatabaseLabel(QWidget* parent);

} // namespace common::ui
