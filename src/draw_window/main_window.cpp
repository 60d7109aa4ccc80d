#include "draw_window/main_window.h"

#include "common/data_folder.h"
#include "common/date_format.h"
#include "common/overview.h"
#include "common/startup.h"
#include "common/subject_rule.h"
#include "common/ui/action_runner.h"
#include "common/ui/login_dialog.h"
#include "common/ui/main_window_parts.h"
#include "draw_window/draw_window.h"
#include "draw_window/project_dialog.h"
#include "reports/ui/report_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace draw {

Frm参数::Frm参数(common::Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Frm参数"));
    buildControls();
}

Frm参数::~Frm参数() = default;

void Frm参数::buildControls() {
    setWindowTitle(kDrawCaption);

    Txt基本情况 = common::ui::createOverviewBox(this, 520);
    auto* titleLabel = common::ui::createTitleLabel(QStringLiteral("Vardel"), 26, this);

    clockLabel_ = new QLabel(this);
    clockLabel_->setObjectName(QStringLiteral("Label3"));
    clockLabel_->setAlignment(Qt::AlignCenter);
    clockLabel_->setWordWrap(true);
    clockLabel_->setMinimumHeight(48);
    QFont clockFont = clockLabel_->font();
    clockFont.setPointSize(12);
    clockLabel_->setFont(clockFont);

    autoSubjectBox_ = new QCheckBox(QStringLiteral("自动科目选择"), this);
    autoSubjectBox_->setObjectName(QStringLiteral("Check1"));
    autoSubjectBox_->setChecked(true);
    Cmb科目 = new QComboBox(this);
    Cmb科目->setObjectName(QStringLiteral("Cmb科目"));
    Cmb科目->setEditable(true);
    Cmb科目->setEnabled(false);
    Cmb科目->setMinimumWidth(200);
    // Disabled while chosen automatically, but it is the subject the draw will use: keep it legible.
    Cmb科目->setStyleSheet(
        QStringLiteral("QComboBox { font-size: 12pt; } QComboBox:disabled { color: #1f4e8c; }"));

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setMinimumHeight(40);
        return b;
    };
    Cmd抽签 = button("Cmd抽签", QStringLiteral("开始抽签"));
    QFont big = Cmd抽签->font();
    big.setPointSize(13);
    big.setBold(true);
    Cmd抽签->setFont(big);
    Cmd抽签->setMinimumHeight(52);
    auto* reportsButton = button("Command3", QStringLiteral("打印报表"));
    auto* switchProjectButton = button("Command2", QStringLiteral("项目切换"));
    managerProgramButton_ = button("Command1", QStringLiteral("系统设置"));
    auto* countdownProgramButton = button("Command4", QStringLiteral("考试Quillet"));

    auto* subjectBox = new QGroupBox(QStringLiteral("当前科目"), this);
    auto* subjectLayout = new QVBoxLayout(subjectBox);
    subjectLayout->addWidget(autoSubjectBox_);
    subjectLayout->addWidget(Cmb科目);

    auto* grid = new QGridLayout;
    grid->addWidget(reportsButton, 0, 0);
    grid->addWidget(switchProjectButton, 0, 1);
    grid->addWidget(managerProgramButton_, 1, 0);
    grid->addWidget(countdownProgramButton, 1, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(titleLabel);
    side->addWidget(clockLabel_);
    side->addSpacing(12);
    side->addWidget(subjectBox);
    side->addSpacing(12);
    side->addWidget(Cmd抽签);
    side->addLayout(grid);
    side->addStretch();
    auto* hint = new QLabel(QStringLiteral("按 F1 查看操作说明"), this);
    hint->setStyleSheet(QStringLiteral("color: #666;"));
    hint->setAlignment(Qt::AlignCenter);
    side->addWidget(hint);

    databaseLabel_ = common::ui::createDatabaseLabel(this);
    auto* overview = new QVBoxLayout;
    overview->addWidget(Txt基本情况, 1);
    overview->addWidget(databaseLabel_);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(overview, 3);
    layout->addLayout(side, 2);
    resize(960, 620);

    clockTimer_ = new QTimer(this);
    clockTimer_->setObjectName(QStringLiteral("Timer1"));
    clockTimer_->setInterval(500);
    connect(clockTimer_, &QTimer::timeout, this, [this] { tick(); });

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { openHelp(); });

    connect(autoSubjectBox_, &QCheckBox::toggled, this, [this](bool on) { Cmb科目->setEnabled(!on); });
    connect(Cmd抽签, &QPushButton::clicked, this, [this] { openDrawWindow(); });
    connect(reportsButton, &QPushButton::clicked, this, [this] { openReports(); });
    connect(switchProjectButton, &QPushButton::clicked, this, [this] { chooseProject(); });
    connect(managerProgramButton_, &QPushButton::clicked, this,
            [this] { startSibling(QStringLiteral("Morvek")); });
    connect(countdownProgramButton, &QPushButton::clicked, this,
            [this] { startSibling(QStringLiteral("Quillet")); });
}

Frm参数::Start Frm参数::startUp(const QString& programFolder) {
    setWindowTitle(kDrawCaption);
    base::Result<common::StartupDatabase> opened = common::openStartupDatabase(state, programFolder);
    databaseLabel_->setText(common::databaseStatusText(state));
    if (!opened) {
        services_.prompter.message(this, opened.error().text(), common::Prompter::Icon::Warning,
                                   common::kFatalTitle);
        return Start::Quit;
    }
    if (opened->readOnlyWarning)
        services_.prompter.message(this, common::readOnlyWarningText(state), common::Prompter::Icon::Warning);
    db_ = std::move(opened->db);
    state.db = db_.get();
    bool project = false;
    if (!common::ui::attemptAction(
            services_.prompter, this, [&] { project = common::readActiveSettings(*db_, state); },
            QStringLiteral("读取数据库失败，程序无法正常运行！"), common::Prompter::Icon::Critical,
            common::kFatalTitle))
        return Start::Quit;
    if (!project) {
        Txt基本情况->setPlainText(common::kNoProjectText);
        clockTimer_->start();
        return Start::Run;
    }
    state.LoginSucceeded = false;
    showLogin(this);
    读参数();
    tick();
    clockTimer_->start();
    return Start::Run;
}

void Frm参数::showLogin(QWidget* parent) {
    common::ui::askLogin(state, services_, managerProgramButton_, common::ui::kDrawLoginCaption, parent);
}

void Frm参数::读参数() {
    if (!db_)
        return;
    const auto read = [this] {
        Txt基本情况->setPlainText(common::读参数(*db_, state, common::OverviewProgram::Draw).text);
    };
    if (!common::ui::attemptAction(services_.prompter, this, read, QStringLiteral("读取考试项目数据失败！")))
        return;
    if (state.StaffMismatch)
        clockLabel_->setText(QStringLiteral("监考员设置有误，请注意提示信息！"));
    读科目信息();
    Cmd抽签->setEnabled(state.KSS != 0);
}

void Frm参数::读科目信息() {
    Cmb科目->clear();
    for (const common::SubjectEntry& e : state.SubjectTable) {
        if (e.subject.isEmpty())
            break;
        Cmb科目->addItem(e.subject);
    }
}

void Frm参数::获取当前科目() {
    if (!autoSubjectBox_->isChecked()) {
        state.DQKM = Cmb科目->currentText();
        return;
    }
    const int i =
        common::currentSubjectIndex(state.SubjectTable, services_.clock.now(), common::kDrawLeadMinutes);
    state.DQKM = i >= 0 ? state.SubjectTable[i].subject : common::kNoExamTime;
    if (Cmb科目->currentText() != state.DQKM)
        Cmb科目->setEditText(state.DQKM);
}

void Frm参数::tick() {
    获取当前科目();
    if (!state.StaffMismatch) {
        const QDateTime now = services_.clock.now();
        clockLabel_->setText(common::longDateText(now.date()) + common::ampmTimeText(now.time()));
    }
}

void Frm参数::startSibling(const QString& baseName) {
    const QString path = common::siblingProgramPath(state.MyPath, baseName);
    if (!services_.shell.startProgram(path))
        services_.prompter.message(this, QStringLiteral("没找到（%1）文件！").arg(QFileInfo(path).fileName()),
                                   common::Prompter::Icon::Information);
}

void Frm参数::openDrawWindow() {
    Frm抽签 draw(state, services_, managerProgramButton_, this);
    if (draw.isUsable())
        services_.dialogs.run(draw);
}

void Frm参数::openReports() {
    reports::ui::Frm报表 reports(state, services_, this);
    services_.dialogs.run(reports);
}

void Frm参数::chooseProject() {
    Frm选项目 choice(state, services_, this);
    services_.dialogs.run(choice);
    读参数();
}

void Frm参数::openHelp() {
    const QString path = QDir(common::helpFolder(state.MyPath)).filePath(QStringLiteral("index.html"));
    if (!QFileInfo::exists(path) || !services_.shell.openFile(path))
        services_.prompter.message(this, QStringLiteral("没找到帮助文件（help/index.html）！"),
                                   common::Prompter::Icon::Information);
}

} // namespace draw
