#include "draw_window/save_dialog.h"

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

    auto* othersFrame = new QGroupBox(QStringLiteral("其他工作人员"), this);
    othersFrame->setObjectName(QStringLiteral("Frame1"));
    auto* invigilatorsOnlyOption = new QRadioButton(QStringLiteral("不追加场外及验卷"), othersFrame);
    invigilatorsOnlyOption->setObjectName(QStringLiteral("Option1"));
    auto* withDutiesOption = new QRadioButton(QStringLiteral("按预选参数处理"), othersFrame);
    withDutiesOption->setObjectName(QStringLiteral("Option2"));
    withDutiesOption->setChecked(true);
    auto* options = new QVBoxLayout(othersFrame);
    options->addWidget(invigilatorsOnlyOption);
    options->addWidget(withDutiesOption);

    auto* saveButton = new QPushButton(QStringLiteral("保存数据"), this);
    saveButton->setObjectName(QStringLiteral("Command2"));
    saveButton->setDefault(true);
    auto* discardButton = new QPushButton(QStringLiteral("放弃数据"), this);
    discardButton->setObjectName(QStringLiteral("Command1"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(discardButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(othersFrame);
    layout->addLayout(buttons);
    setMinimumWidth(300);

    connect(discardButton, &QPushButton::clicked, this, [this] {
        BC = 0;
        reject();
    });
    connect(saveButton, &QPushButton::clicked, this, [this, invigilatorsOnlyOption, withDutiesOption] {
        if (invigilatorsOnlyOption->isChecked())
            BC = 1;
        if (withDutiesOption->isChecked())
            BC = 2;
        accept();
    });
}

} // namespace draw
