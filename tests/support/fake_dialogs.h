#pragma once

#include "fakes.h"

#include <QDialog>
#include <QHash>

// Runs no dialog modally: each is handed to the handler registered for its objectName,
// which plays the operator and gives the result. A dialog nobody answers is rejected.
class FakeDialogRunner : public common::DialogRunner {
public:
    QHash<QString, std::function<int(QDialog&)>> handlers;
    QStringList ran; // objectNames, in order

    int run(QDialog& dialog) override {
        ran << dialog.objectName();
        const auto handler = handlers.value(dialog.objectName());
        return handler ? handler(dialog) : int(QDialog::Rejected);
    }
};

// Every service a window takes, all of them fakes.
struct FakeServices {
    FakePrompter prompter;
    FakeShell shell;
    FakeFileChooser files;
    FakeDialogRunner dialogs;
    FakeClock clock;
    FixedRandom random;
    common::Services services{prompter, shell, files, dialogs, clock, random};
};
