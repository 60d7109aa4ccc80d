// Morvek: the data-management program.
#include "common/single_instance.h"
#include "common/ui/app_setup.h"
#include "common/ui/qt_services.h"
#include "manager/ui/manager_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    common::ui::setUpApplication(QStringLiteral("Morvek"));
    common::ui::ProductionServices production;
    const QString folder = QCoreApplication::applicationDirPath();

    common::SingleInstance instance(QStringLiteral("Morvek"), folder);
    manager::ui::Frm管理 window(production.services());
    if (window.startUp(folder, instance) == manager::ui::Frm管理::Start::Quit)
        return 1;
    window.show();
    return app.exec();
}
