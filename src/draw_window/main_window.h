#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "db/database.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace draw {

// The draw program's main window: start-up, the exam overview, the clock and the
// current subject. Its `state` is the run's shared state; the windows it opens get it
// by reference together with the services.
class Frm参数 : public QWidget {
public:
    enum class Start { Run, Quit };

    explicit Frm参数(common::Services& services, QWidget* parent = nullptr);
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
    void openHelp();

    common::RunState state;

private:
    void buildControls();
    void startSibling(const QString& baseName);
    void openDrawWindow();
    void openReports();
    void chooseProject();

    QPlainTextEdit* Txt基本情况;
    QLabel* clockLabel_;
    QCheckBox* autoSubjectBox_;
    QComboBox* Cmb科目;
    QPushButton* Cmd抽签;
    QPushButton* managerProgramButton_; // the one a login switches
    QTimer* clockTimer_;
    QLabel* databaseLabel_;
    common::Services& services_;
    std::unique_ptr<db::Database> db_;
};

inline const QString kDrawCaption = QStringLiteral("Vardel V17.6.3");

} // namespace draw
