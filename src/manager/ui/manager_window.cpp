#include "manager/ui/manager_window.h"

#include "common/data_folder.h"
#include "common/overview.h"
#include "common/shell.h"
#include "common/startup.h"
#include "common/ui/action_runner.h"
#include "common/ui/login_dialog.h"
#include "common/ui/main_window_parts.h"
#include "manager/manager_start.h"
#include "manager/ui/password_dialog.h"
#include "manager/ui/project_editor.h"
#include "manager/ui/roster_editor.h"
#include "manager/ui/timetable_editor.h"
#include "roster_import/ui/import_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace manager::ui {

Frm管理::Frm管理(common::Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Frm管理"));
    buildControls();
}

Frm管理::~Frm管理() = default;

void Frm管理::buildControls() {
    setWindowTitle(QStringLiteral("Morvek"));

    Txt基本情况 = common::ui::createOverviewBox(this, 560);
    auto* titleLabel = common::ui::createTitleLabel(QStringLiteral("Vardel数据管理"), 22, this);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setMinimumHeight(40);
        return b;
    };
    projectsButton_ = button("Command1", QStringLiteral("项目管理"));
    Cmd时间 = button("Cmd时间", QStringLiteral("考试科目与时间"));
    staffButton_ = button("Command3", QStringLiteral("人员管理"));
    importButton_ = button("Command2", QStringLiteral("数据导入"));
    drawProgramButton_ = button("Command4", QStringLiteral("打开抽签程序"));
    auto* passwordButton = button("Command5", QStringLiteral("修改管理密码"));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* buttons = new QVBoxLayout(frame);
    buttons->setSpacing(10);
    for (QPushButton* b : {projectsButton_, Cmd时间, staffButton_, importButton_})
        buttons->addWidget(b);
    buttons->addSpacing(16);
    buttons->addWidget(drawProgramButton_);
    buttons->addWidget(passwordButton);
    buttons->addStretch();

    auto* side = new QVBoxLayout;
    side->addWidget(titleLabel);
    side->addSpacing(8);
    side->addWidget(frame, 1);
    databaseLabel_ = common::ui::createDatabaseLabel(this);
    auto* overview = new QVBoxLayout;
    overview->addWidget(Txt基本情况, 1);
    overview->addWidget(databaseLabel_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);
    layout->addLayout(overview, 1);
    layout->addLayout(side);
    resize(840, 700);

    connect(projectsButton_, &QPushButton::clicked, this, [this] { openEditor<Frm项目>(); });
    connect(Cmd时间, &QPushButton::clicked, this, [this] { openEditor<Frm时间设置>(); });
    connect(staffButton_, &QPushButton::clicked, this, [this] { openEditor<Frm监考员>(); });
    connect(importButton_, &QPushButton::clicked, this,
            [this] { openEditor<roster_import::ui::Frm数据导入>(); });
    connect(drawProgramButton_, &QPushButton::clicked, this, [this] { startDrawProgram(); });
    connect(passwordButton, &QPushButton::clicked, this, [this] { openPassword(); });
}

Frm管理::Start Frm管理::startUp(const QString& programFolder, common::SingleInstance& instance) {
    ManagerStart start = startManager(state, instance, programFolder);
    using Outcome = ManagerStart::Outcome;
    if (start.outcome == Outcome::AlreadyRunning) {
        services_.prompter.message(this, common::kAlreadyRunningText, common::Prompter::Icon::Information);
        return Start::Quit;
    }
    setWindowTitle(mainCaption(state));
    databaseLabel_->setText(common::databaseStatusText(state));
    if (start.outcome == Outcome::Fatal) {
        services_.prompter.message(this, start.fatal.text(), common::Prompter::Icon::Warning,
                                   common::kFatalTitle);
        return Start::Quit;
    }
    if (start.readOnlyWarning)
        services_.prompter.message(this, common::readOnlyWarningText(state), common::Prompter::Icon::Warning);
    db_ = std::move(start.db);
    state.db = db_.get();
    if (start.outcome == Outcome::NoProject) {
        Txt基本情况->setPlainText(common::kNoProjectText);
        return Start::Run;
    }
    state.LoginSucceeded = false;
    showLogin();
    读参数();
    return Start::Run;
}

void Frm管理::showLogin() {
    common::ui::askLogin(state, services_, projectsButton_, common::ui::kManagerLoginCaption, this);
}

void Frm管理::读参数() {
    if (!db_)
        return;
    bool found = false;
    const auto read = [&] {
        const common::Overview o = common::读参数(*db_, state, common::OverviewProgram::Manager);
        Txt基本情况->setPlainText(o.text);
        found = o.projectFound;
    };
    common::ui::attemptAction(services_.prompter, this, read, QStringLiteral("读取考试项目数据失败！"));
    for (QPushButton* b : {importButton_, staffButton_, drawProgramButton_, Cmd时间})
        b->setEnabled(found);
}

template <class Editor> void Frm管理::openEditor() {
    if (!state.LoginSucceeded)
        showLogin();
    {
        Editor editor(state, services_, this);
        if (editor.isUsable())
            services_.dialogs.run(editor);
    }
    读参数();
}

void Frm管理::openPassword() {
    Frm密码 dialog(state, services_, this);
    services_.dialogs.run(dialog);
}

void Frm管理::startDrawProgram() {
    const QString path = common::siblingProgramPath(state.MyPath, kDrawProgram);
    if (!services_.shell.startProgram(path)) {
        services_.prompter.message(this, drawProgramMissingText(path), common::Prompter::Icon::Information);
        return;
    }
    showMinimized();
}

} // namespace manager::ui
