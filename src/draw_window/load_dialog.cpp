#include "draw_window/load_dialog.h"

#include "common/ui/action_runner.h"
#include "store/draw_repository.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace draw {

Frm加载数据::Frm加载数据(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Frm加载数据"));
    setWindowTitle(QStringLiteral("选择加载项目"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* promptLabel = new QLabel(QStringLiteral("选择项目："), this);
    promptLabel->setObjectName(QStringLiteral("Label1"));
    Cmb项目 = new QComboBox(this);
    Cmb项目->setObjectName(QStringLiteral("Cmb项目"));
    Cmb项目->setMinimumContentsLength(28);
    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("Command2"));
    auto* deleteButton = new QPushButton(QStringLiteral("删除选中的抽签数据"), this);
    deleteButton->setObjectName(QStringLiteral("Command3"));

    auto* choice = new QHBoxLayout;
    choice->addWidget(promptLabel);
    choice->addWidget(Cmb项目, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    if (!state.LoginSucceeded)
        deleteButton->setEnabled(false);
    // Without the run's connection nothing is listed or deleted; the operator is told why once.
    common::ui::attemptAction(
        services_.prompter, parent, [&] { common::runDatabase(state); }, QStringLiteral("无法打开数据库！"));
    fillList();

    connect(okButton, &QPushButton::clicked, this, [this] {
        JZX = Cmb项目->currentText();
        JZKM = Cmb项目->currentData().toString();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { deleteChosen(); });
}

Frm加载数据::~Frm加载数据() = default;

void Frm加载数据::fillList() {
    Cmb项目->clear();
    if (state_.db) {
        const auto list = [this] {
            for (const engine::SavedDraw& d : engine::savedDraws(*state_.db, state_.DQXM))
                Cmb项目->addItem(d.entry(), d.subject);
        };
        common::ui::attemptAction(services_.prompter, this, list,
                                  QStringLiteral("无法读取已保存的抽签结论！"));
    }
    Cmb项目->addItem(kLoadInitialEntry, common::kInitialSubject);
    Cmb项目->setCurrentIndex(0);
}

void Frm加载数据::deleteChosen() {
    const QString entry = Cmb项目->currentText();
    if (entry == kLoadInitialEntry) {
        services_.prompter.message(this, QStringLiteral("初始数据不能在此删除！"),
                                   common::Prompter::Icon::Information);
        return;
    }
    if (entry.isEmpty() || !state_.db)
        return;
    if (!common::writeGuard(state_, services_.prompter, this))
        return;
    if (!services_.prompter.confirm(
            this, QStringLiteral("将删除“") + entry + QStringLiteral("”，该操作不可恢复！\n是否真的要删除？"),
            common::Prompter::Icon::Information))
        return;
    common::ui::attemptAction(
        services_.prompter, this,
        [this] {
            engine::deleteSavedDraw(*state_.db, state_.DQXM, Cmb项目->currentData().toString(),
                                    services_.clock.now());
        },
        QStringLiteral("删除失败，已保存的数据没有改变！"));
    fillList();
}

} // namespace draw
