#include "draw/save_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace draw {

Frm保存::Frm保存(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frm保存"));
    setWindowTitle(QStringLiteral("保存抽签结论"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Frame1 = new QGroupBox(QStringLiteral("其他工作人员"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Option1 = new QRadioButton(QStringLiteral("不追加场外及验卷"), Frame1);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = new QRadioButton(QStringLiteral("按预选参数处理"), Frame1);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setChecked(true);
    auto* options = new QVBoxLayout(Frame1);
    options->addWidget(Option1);
    options->addWidget(Option2);

    Command2 = new QPushButton(QStringLiteral("保存数据"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("放弃数据"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    setMinimumWidth(300);

    connect(Command1, &QPushButton::clicked, this, [this] {
        BC = 0;
        reject();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        if (Option1->isChecked())
            BC = 1;
        if (Option2->isChecked())
            BC = 2;
        accept();
    });
}

} // namespace draw
