// Vardel: the draw program.
#include "common/app_setup.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "common/random_source.h"
#include "common/shell.h"
#include "common/single_instance.h"
#include "draw/draw_services.h"
#include "draw/draw_window.h"
#include "draw/main_window.h"
#include "draw/project_dialog.h"
#include "reports/report_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    setUpApplication(QStringLiteral("Vardel"));

    QtPrompter prompter;
    SingleInstance instance(QStringLiteral("Vardel"), QCoreApplication::applicationDirPath());
    if (!instance.acquire()) {
        prompter.message(nullptr, kAlreadyRunningText, Prompter::Icon::Information);
        return 0;
    }
    QtShell shell;
    SystemClock clock;
    SeededRandom random;

    Frm参数 main(prompter, shell, clock);
    const auto openReports = [&](QWidget* parent) {
        Frm报表 reports(main.state, prompter, shell, clock, parent);
        reports.exec();
    };
    DrawServices services{prompter, clock, random, openReports, [&](QWidget* parent) { main.showLogin(parent); }};
    const auto openDrawWindow = [&](QWidget* parent) {
        Frm抽签 draw(main.state, services, parent);
        draw.exec();
    };
    const auto chooseProject = [&](QWidget* parent) {
        Frm选项目 choice(main.state, parent);
        choice.exec();
    };
    main.setHooks({openDrawWindow, openReports, chooseProject});
    if (main.startUp(QCoreApplication::applicationDirPath()) == Frm参数::Start::Quit)
        return 1;
    main.show();
    return app.exec();
}
