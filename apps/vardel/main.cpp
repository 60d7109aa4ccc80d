// Vardel: the draw program.
#include "common/single_instance.h"
#include "common/ui/app_setup.h"
#include "common/ui/qt_services.h"
#include "draw_window/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    common::ui::setUpApplication(QStringLiteral("Vardel"));
    common::ui::ProductionServices production;
    common::Services& services = production.services();

    common::SingleInstance instance(QStringLiteral("Vardel"), QCoreApplication::applicationDirPath());
    if (!instance.acquire()) {
        services.prompter.message(nullptr, common::kAlreadyRunningText, common::Prompter::Icon::Information);
        return 0;
    }
    draw::Frm参数 main(services);
    if (main.startUp(QCoreApplication::applicationDirPath()) == draw::Frm参数::Start::Quit)
        return 1;
    main.show();
    return app.exec();
}
