#pragma once

#include "common/clock.h"
#include "common/prompter.h"
#include "common/run_state.h"
#include "common/shell.h"
#include "db/database.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class FrmLogin;

// The windows the main window opens that live in other parts of the program; the
// program's main() supplies them. Each is shown modally on `parent`.
struct MainWindowHooks {
    std::function<void(QWidget* parent)> openDrawWindow;    // Cmd抽签
    std::function<void(QWidget* parent)> openReports;       // Command3
    std::function<void(QWidget* parent)> chooseProject;     // Command2
};

// The draw program's main window: start-up, the exam overview, the clock and the
// current subject. Its `state` is the run's shared state.
class Frm参数 : public QWidget {
public:
    enum class Start { Run, Quit };

    Frm参数(Prompter& prompter, Shell& shell, const Clock& clock, QWidget* parent = nullptr);
    ~Frm参数() override;

    // The start-up steps after the single-instance check; Quit after a fatal message.
    Start startUp(const QString& programFolder);

    // Shows the login modally; used at start-up and again before a save.
    void showLogin(QWidget* parent);
    // Rebuilds the overview for state.DQXM (after start-up and after a project change).
    void 读参数();
    void 读科目信息();
    void 获取当前科目();
    // One clock tick: the current subject, then the clock line.
    void tick();

    void setHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }
    // Tests drive the login dialog through this instead of running it modally.
    std::function<void(FrmLogin&)> loginDriver;

    RunState state;

    QPlainTextEdit* Txt基本情况;
    QLabel* Label1;
    QLabel* Label3;
    QCheckBox* Check1;
    QComboBox* Cmb科目;
    QPushButton* Cmd抽签;
    QPushButton* Command3;
    QPushButton* Command2;
    QPushButton* Command1;
    QPushButton* Command4;
    QTimer* Timer1;

private:
    void buildControls();
    void startSibling(const QString& baseName);
    bool openHook(const std::function<void(QWidget*)>& hook);
public:
    void openHelp();

private:

    Prompter& prompter_;
    Shell& shell_;
    const Clock& clock_;
    std::unique_ptr<db::Database> db_;
    MainWindowHooks hooks_;
};

inline const QString kDrawCaption = QStringLiteral("Vardel V17.6.3");
