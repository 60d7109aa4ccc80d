#include "draw_window/project_dialog.h"

#include "common/ui/action_runner.h"
#include "db/database.h"
#include "store/projects.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <limits>

namespace draw {

Frm选项目::Frm选项目(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("Frm选项目"));
    setWindowTitle(QStringLiteral("选择抽签项目"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* promptLabel = new QLabel(QStringLiteral("选择项目："), this);
    promptLabel->setObjectName(QStringLiteral("Label1"));
    Cmb考点 = new QComboBox(this);
    Cmb考点->setObjectName(QStringLiteral("Cmb考点"));
    Cmb考点->setEditable(true);
    Cmb考点->setInsertPolicy(QComboBox::NoInsert);
    Cmb考点->setMinimumContentsLength(32);
    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    auto* noteLabel = new QLabel(QStringLiteral("说明:系统允许同时创建多个独立考试项目"), this);
    noteLabel->setObjectName(QStringLiteral("Label2"));
    auto* seeSettingsLabel = new QLabel(QStringLiteral("　　 具体情况见参数设置相关项目"), this);
    seeSettingsLabel->setObjectName(QStringLiteral("Label3"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(promptLabel, 0, 0);
    layout->addWidget(Cmb考点, 0, 1);
    layout->addWidget(okButton, 0, 2);
    layout->addWidget(noteLabel, 1, 0, 1, 3);
    layout->addWidget(seeSettingsLabel, 2, 0, 1, 3);

    const auto list = [&] {
        for (const engine::ProjectEntry& project : engine::projectsInUse(common::runDatabase(state)))
            Cmb考点->addItem(project.entry());
    };
    common::ui::attemptAction(services.prompter, parent, list, QStringLiteral("无法读取考试项目！"));
    // The box starts on the project in use, even when the list does not offer it.
    Cmb考点->setCurrentIndex(-1);
    Cmb考点->setEditText(QString::number(state.DQXM) + QStringLiteral("#.") + state.project.examName);

    connect(okButton, &QPushButton::clicked, this, [this] { choose(); });
}

void Frm选项目::choose() {
    const QString text = Cmb考点->currentText();
    bool ok = false;
    const int project = text.section(QLatin1Char('#'), 0, 0).trimmed().toInt(&ok);
    // A typed text that names no project keeps the one in use.
    if (ok && project >= std::numeric_limits<qint16>::min() && project <= std::numeric_limits<qint16>::max())
        state_.DQXM = project;
    accept();
}

} // namespace draw
