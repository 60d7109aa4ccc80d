#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "db/database.h"
#include "draw/draw_engine.h"
#include "draw_window/draw_panel.h"
#include "draw_window/room_boxes.h"
#include "store/draw_run.h"
#include "store/working_set.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QTimer;

namespace draw {

// The screen a draw is run on in front of the invigilators: one box per room, start and
// stop of the live draw, the pick of the person who performs it, save, load and print.
class Frm抽签 : public QDialog {
public:
    // `loginButton` is the main window's button a login switches (may be null).
    Frm抽签(common::RunState& state, common::Services& services, QPushButton* loginButton,
            QWidget* parent = nullptr);
    ~Frm抽签() override;

    // False when the database could not be read at construction: the window is not shown.
    bool isUsable() const { return opened_; }

    bool saved() const { return run_.saved(); }
    bool drawing() const { return run_.phase() != engine::DrawRun::Phase::Idle; }
    int resultCounter() const { return run_.counter(); }
    // Pixels per 15 twips: how the 1024x768 design is scaled to this window.
    double layoutScale() const { return scale_; }
    const engine::Candidate& result() const { return run_.result().candidate; }
    const engine::WorkingSet& workingSet() const { return ws_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    bool openData();
    void presetChecks();
    void layoutBoxes();
    void applyGeometry();
    void showInitial();
    bool textWithSupervisor() const;

    void drawClicked();
    void startRun();
    void runTick();
    void stopRun();
    void finishStop();
    QString recordStop();
    bool mayRecord() const;
    void abortRun(const QString& reason);
    void stopDelayTick();

    void pickClicked();
    void pickTick();
    void stopPick();

    void saveClicked();
    void showRecord(const QString& saveTime);
    void loadClicked();
    bool mayClose();

    engine::RuleState ruleState(engine::Rule rule) const;
    engine::DrawSettings currentSettings() const;
    QString caption(int counter) const;
    db::Database& database() const { return common::runDatabase(state_); }

    common::RunState& state_;
    common::Services& services_;
    QPushButton* loginButton_;
    DrawPanel panel_;
    QPushButton* Cmd抽签;
    QPushButton* Cmd选抽签人;
    QPushButton* Cmd保存;
    QPushButton* Cmd加载;
    QPushButton* Cmd打印;
    engine::WorkingSet ws_;
    int rooms_ = 0;
    bool opened_ = false;

    std::array<QCheckBox*, engine::kRuleCount> checks_{}; // in the order of engine::Rule
    RoomBoxes* boxes_ = nullptr;

    QString subject_;
    engine::DrawRun run_;
    DrawPanel::Snapshot snapshot_;
    QString snapshotCaption_;
    QTimer* stopDelayTimer_;
    QTimer* runTimer_;
    QTimer* pickTimer_;
    bool picking_ = false;
    int picked_ = 0; // the room whose box the pick lit last
    bool closeConfirmed_ = false;

    double scale_ = 1.0;
};

} // namespace draw
