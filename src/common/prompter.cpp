#include "common/prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon toQt(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}

} // namespace

void QtPrompter::message(QWidget* parent, const QString& text, Icon icon, const QString& title) {
    QMessageBox box(toQt(icon), titleOr(title), text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole));
    box.exec();
}

bool QtPrompter::confirm(QWidget* parent, const QString& text, Icon icon, const QString& title) {
    QMessageBox box(toQt(icon), titleOr(title), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}
