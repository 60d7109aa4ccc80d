#include "draw/project_dialog.h"

#include "db/database.h"

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

    Label1 = new QLabel(QStringLiteral("选择项目："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Cmb考点 = new QComboBox(this);
    Cmb考点->setObjectName(QStringLiteral("Cmb考点"));
    Cmb考点->setEditable(true);
    Cmb考点->setInsertPolicy(QComboBox::NoInsert);
    Cmb考点->setMinimumContentsLength(32);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Label2 = new QLabel(QStringLiteral("说明:系统允许同时创建多个独立考试项目"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("　　 具体情况见参数设置相关项目"), this);
    Label3->setObjectName(QStringLiteral("Label3"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Cmb考点, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Label2, 1, 0, 1, 3);
    layout->addWidget(Label3, 2, 0, 1, 3);

    try {
        const db::Database& db = common::runDatabase(state);
        for (const db::Row& row :
             db.query(QStringLiteral("select * from 考点设置 where 状态='正常' order by 编号")))
            Cmb考点->addItem(db::text(row, QStringLiteral("编号")) + QStringLiteral("#.") +
                             db::text(row, QStringLiteral("考试名称")));
    } catch (const db::DbError& e) {
        services.prompter.message(parent, QStringLiteral("无法读取考试项目！\n") + e.text(),
                                  common::Prompter::Icon::Critical);
    }
    // The box starts on the project in use, even when the list does not offer it.
    Cmb考点->setCurrentIndex(-1);
    Cmb考点->setEditText(QString::number(state.DQXM) + QStringLiteral("#.") + state.project.ksmc);

    connect(Command1, &QPushButton::clicked, this, [this] { choose(); });
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
