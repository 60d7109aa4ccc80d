#pragma once

#include "common/services.h"

namespace common::ui {

class QtPrompter : public Prompter {
public:
    void message(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) override;
    bool confirm(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) override;
};

class QtShell : public Shell {
public:
    bool openFile(const QString& path) override;
    bool startProgram(const QString& path) override;
};

class QtFileChooser : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& path,
                     const QString& filter) override;
};

class QtDialogRunner : public DialogRunner {
public:
    int run(QDialog& dialog) override;
};

// The services of a real run: message boxes, the desktop, the system clock and the
// system's entropy. Built once in main() and outliving every window.
class ProductionServices {
public:
    Services& services() { return services_; }

private:
    QtPrompter prompter_;
    QtShell shell_;
    QtFileChooser files_;
    QtDialogRunner dialogs_;
    SystemClock clock_;
    engine::SeededRandom random_;
    Services services_{prompter_, shell_, files_, dialogs_, clock_, random_};
};

} // namespace common::ui
