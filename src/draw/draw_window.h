#pragma once

#include "common/run_state.h"
#include "db/database.h"
#include "draw/box_layout.h"
#include "draw/draw_engine.h"
#include "draw/draw_services.h"
#include "draw/working_set.h"

#include <QDialog>
#include <QPalette>
#include <QVector>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The screen a draw is run on in front of the invigilators: one box per room, start and
// stop of the live draw, the pick of the person who performs it, save, load and print.
class Frm抽签 : public QDialog {
public:
    Frm抽签(RunState& state, DrawServices& services, QWidget* parent = nullptr);
    ~Frm抽签() override;

    // Refuses to open when the database could not be read at construction.
    int exec() override;

    QFrame* Frame1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QVector<QLineEdit*> Txt监考员; // kRoomBoxes boxes; box i - 1 shows room i
    QPushButton* Cmd抽签;
    QPushButton* Cmd选抽签人;
    QPushButton* Cmd保存;
    QPushButton* Cmd加载;
    QPushButton* Cmd打印;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QCheckBox* Check6;
    QTimer* Timer1;

    // Shows the window's own dialogs (Frm保存, Frm加载数据) modally; tests answer them here.
    std::function<void(QDialog&)> runDialog;

    bool saved() const { return saved_; }
    bool drawing() const { return phase_ != Phase::Idle; }
    int resultCounter() const { return counter_; }
    // Pixels per 15 twips: how the 1024x768 design is scaled to this window.
    double layoutScale() const { return scale_; }
    const Candidate& result() const { return result_.candidate; }
    const WorkingSet& workingSet() const { return ws_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Phase { Idle, Running, Stopping };

    struct Result {
        Candidate candidate;
        QVector<QString> supervisors; // roster column 11 under the result
        QString parameterCode;
        bool withSupervisor = false;
        bool exists = false;
    };

    // What a run puts back when the engine finds its rules cannot be met.
    struct Snapshot {
        QStringList texts;
        QString caption;
        std::array<bool, 4> buttons{};
        std::array<bool, 6> checks{};
    };

    void buildControls();
    bool openData();
    void presetChecks();
    void layoutBoxes();
    void applyGeometry();
    void fitBoxes(int fontPt, int widthTw, int heightTw, int pitchTw, int stepTw);
    int widestText(const class QFontMetrics& fm) const;
    void showInitial();
    void showResult(const Candidate& c, const QVector<QString>& supervisors, bool withSupervisor, bool flash);
    void setBoxText(int box, const QString& text);
    void paintBoxes(int count, const QPalette& palette);

    void drawClicked();
    void startRun();
    void runTick();
    void stopRun();
    bool finalSlice();
    void finishStop();
    void abortRun(const QString& reason);
    void timer1Tick();

    void pickClicked();
    void pickTick();
    void stopPick();

    void saveClicked();
    void loadClicked();
    bool mayClose();

    int checkValue(int index) const;
    DrawSettings currentSettings() const;
    void setParameterChecksEnabled(bool enabled);
    QString caption(int counter) const;

    RunState& state_;
    DrawServices& services_;
    std::unique_ptr<db::Database> db_;
    WorkingSet ws_;
    int rooms_ = 0;
    bool opened_ = false;
    bool tooMany_ = false;

    std::array<QCheckBox*, 6> checks_{};
    QPalette normal_;
    QPalette inverted_;
    std::array<QPalette, 6> flashing_;

    bool saved_ = true;
    Phase phase_ = Phase::Idle;
    int counter_ = 0;
    QString subject_;
    DrawSettings settings_;
    std::unique_ptr<DrawEngine> engine_;
    Result result_;
    Snapshot snapshot_;
    QTimer* runTimer_;
    QTimer* pickTimer_;
    bool picking_ = false;
    int highlighted_ = -1;
    bool closeConfirmed_ = false;

    double scale_ = 1.0;
    BoxBand band_;
    bool wide_ = false;
    bool textWithSupervisor_ = false;
    QStringList extraTexts_; // shown texts not built from the working set (loaded draws, the limit notice)
};
