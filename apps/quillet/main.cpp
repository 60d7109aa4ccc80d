// Quillet: the exam hall's countdown screen.
#include "common/single_instance.h"
#include "common/ui/app_setup.h"
#include "common/ui/qt_services.h"
#include "countdown/ui/quillet_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    common::ui::setUpApplication(QStringLiteral("Quillet"));
    common::ui::ProductionServices production;
    const QString folder = QCoreApplication::applicationDirPath();

    common::SingleInstance instance(QStringLiteral("Quillet"), folder);
    countdown::ui::FrmQuillet window(production.services());
    if (!window.load(folder, instance))
        return 1;
    window.show();
    return app.exec();
}
