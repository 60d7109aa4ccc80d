#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "common/single_instance.h"
#include "db/database.h"

#include <QWidget>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace manager::ui {

// The data-management program's main window: start-up, the exam overview with the draw
// parameters, and the buttons that open the editors, the password change and the draw
// program. Its `state` is the run's shared state, handed to every editor it opens.
class Frm管理 : public QWidget {
public:
    enum class Start { Run, Quit };

    explicit Frm管理(common::Services& services, QWidget* parent = nullptr);
    ~Frm管理() override;

    // The start-up in its order: one instance, the database, the settings row, the login,
    // the overview. Quit after a message that ends the program.
    Start startUp(const QString& programFolder, common::SingleInstance& instance);
    // Rebuilds the overview for state.DQXM and enables the buttons that need a project.
    void 读参数();

    common::RunState state;

private:
    void buildControls();
    void showLogin();
    // The editor-button sequence: the login when not logged in, the editor, the overview.
    template <class Editor> void openEditor();
    void openPassword();
    void startDrawProgram();

    QPlainTextEdit* Txt基本情况;
    QPushButton* projectsButton_; // the one a login switches
    QPushButton* Cmd时间;         // 考试科目与时间
    QPushButton* staffButton_;
    QPushButton* importButton_;
    QPushButton* drawProgramButton_;
    QLabel* databaseLabel_;
    common::Services& services_;
    std::unique_ptr<db::Database> db_;
};

} // namespace manager::ui
