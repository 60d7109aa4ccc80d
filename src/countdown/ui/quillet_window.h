#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "common/single_instance.h"
#include "db/database.h"

#include <QWidget>

#include <memory>

class QLabel;
class QTimer;

namespace db {
class Database;
}

namespace countdown::ui {

// The countdown screen for the exam hall: date, clock, current subject and two countdown
// lines, always on top. The timetable is read once by load(); every tick works from memory.
class FrmQuillet : public QWidget {
public:
    explicit FrmQuillet(common::Services& services, QWidget* parent = nullptr);

    // The form's load. False when the program must end; the reason has been shown.
    bool load(const QString& programFolder, common::SingleInstance& instance);
    // clockTimer: one second of the display.
    void tick();

    const common::RunState& state() const { return state_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void 读考试时间(const db::Database& db);
    void showDateAndTime(const QDateTime& now);
    void placeOnScreen();
    void fitFonts();

    QLabel* Lbl日期;
    QLabel* Lbl时间;
    QLabel* Lbl科目;
    QLabel* upperLineLabel_;
    QLabel* lowerLineLabel_;
    QLabel* noticeLabel_;
    QLabel* databaseLabel_;
    QTimer* clockTimer_;
    common::Services& services_;
    common::RunState state_;
    // The window's connection, kept for the run as the other programs keep theirs: the file's
    // WAL stays joined while the countdown stands, and its start-up look is not repeated.
    std::unique_ptr<db::Database> db_;
};

inline const QString kQuilletCaption = QStringLiteral("Quillet V13.6.5");

} // namespace countdown::ui
