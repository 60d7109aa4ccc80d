#include "reports/ui/report_window.h"

#include "common/ui/action_runner.h"
#include "reports/report_writer.h"
#include "store/draw_repository.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace reports::ui {

namespace {

const QString kCaption = QStringLiteral("打印报表");

} // namespace

Frm报表::Frm报表(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Frm报表"));
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* promptLabel = new QLabel(QStringLiteral("选择项目："), this);
    promptLabel->setObjectName(QStringLiteral("Label1"));
    Cmb报表 = new QComboBox(this);
    Cmb报表->setObjectName(QStringLiteral("Cmb报表"));
    Cmb报表->setMinimumWidth(300);
    dutiesOnlyBox_ = new QCheckBox(QStringLiteral("仅打印场外与验卷"), this);
    dutiesOnlyBox_->setObjectName(QStringLiteral("Check1"));
    dutiesOnlyBox_->setChecked(false);
    auto* paperNoteLabel =
        new QLabel(QStringLiteral("纸张建议A4，如果打印时跨页请调整每页显示行数或边距。"), this);
    paperNoteLabel->setObjectName(QStringLiteral("Label2"));
    auto* folderNoteLabel = new QLabel(QStringLiteral("打印页面文件在Report目录，用浏览器打开。"), this);
    folderNoteLabel->setObjectName(QStringLiteral("Label3"));
    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("Command2"));

    auto* choice = new QHBoxLayout;
    choice->addWidget(promptLabel);
    choice->addWidget(Cmb报表, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dutiesOnlyBox_);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addSpacing(6);
    layout->addWidget(paperNoteLabel);
    layout->addWidget(folderNoteLabel);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, [this] { 输出报表(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

    列出报表();
    if (!openError_.isEmpty()) {
        // Said once the window is up, so the operator knows why no draw is listed.
        QTimer::singleShot(0, this, [this] {
            services_.prompter.message(this, openError_, common::Prompter::Icon::Critical, kCaption);
        });
    }
}

Frm报表::~Frm报表() = default;

void Frm报表::列出报表() {
    Cmb报表->clear();
    const auto list = [this] {
        // The parts travel as item data: a subject holding "#" must not be cut.
        for (const engine::SavedDraw& draw : engine::savedDraws(common::runDatabase(state_), state_.DQXM))
            Cmb报表->addItem(draw.entry(), QStringList{draw.subject, draw.time});
    };
    common::ui::attemptAction(list, QStringLiteral("无法读取已保存的抽签数据："),
                              [this](const QString& why) { openError_ = why; });
    const bool anyDraw = Cmb报表->count() > 0;
    Cmb报表->addItem(kReportInitialEntry);
    // Without a saved draw nothing is preselected; the operator picks the initial arrangement.
    Cmb报表->setCurrentIndex(anyDraw ? 0 : -1);
}

void Frm报表::输出报表() {
    const int index = Cmb报表->currentIndex();
    if (index < 0)
        return;
    if (!state_.db) {
        services_.prompter.message(this, openError_, common::Prompter::Icon::Critical, kCaption);
        return;
    }
    ReportWriter writer(*state_.db, state_, services_.clock);
    const QStringList draw = Cmb报表->itemData(index).toStringList();
    if (draw.size() != 2)
        finish(dutiesOnlyBox_->isChecked() ? writer.打印验卷(common::kInitialSubject, QString())
                                           : writer.打印基础数据());
    else if (dutiesOnlyBox_->isChecked())
        finish(writer.打印验卷(draw[0], draw[1]));
    else
        finish(writer.打印抽签结论(draw[0], draw[1]));
}

void Frm报表::finish(const ReportResult& result) {
    if (!result) {
        services_.prompter.message(this, result.error().text(), common::Prompter::Icon::Critical, kCaption);
        return;
    }
    if (!services_.shell.openFile(*result)) {
        services_.prompter.message(this,
                                   QStringLiteral("报表已生成，但无法自动打开：\n") +
                                       QDir::toNativeSeparators(*result) +
                                       QStringLiteral("\n请用浏览器打开该文件。"),
                                   common::Prompter::Icon::Warning, kCaption);
    }
}

} // namespace reports::ui
