#include "common/ui/app_setup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace common::ui {

void setUpApplication(const QString& name) {
    QApplication::setApplicationName(name);
    // Ties the windows to the menu entry (vardel.desktop ...), so the desktop shows its icon.
    QGuiApplication::setDesktopFileName(name.toLower());
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    QApplication::setFont(font);
}

} // namespace common::ui
