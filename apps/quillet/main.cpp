// Quillet: the exam hall's countdown screen.
#include "common/app_setup.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "common/single_instance.h"
#include "countdown/quillet_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    setUpApplication(QStringLiteral("Quillet"));
    const QString folder = QCoreApplication::applicationDirPath();

    SingleInstance instance(QStringLiteral("Quillet"), folder);
    SystemClock clock;
    QtPrompter prompter;
    FrmQuillet window(clock, prompter);
    if (!window.load(folder, instance))
        return 1;
    window.show();
    return app.exec();
}
