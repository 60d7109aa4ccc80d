#pragma once

#include <QString>

namespace manager {

// The add/modify protocol of an editor's three write buttons (追加, 修改, 删除):
// normal, or adding a record, which 追加 enters and confirms and 修改 ("放弃") cancels.
class EditMode {
public:
    // What a press asks the window to do.
    enum class Action {
        EnterAdd,   // clear the edit fields for a new record (the last record becomes current first)
        ConfirmAdd, // check the fields and add; added() when the add went through
        CancelAdd,  // back to the first record
        Modify,     // check the fields and write them to the current record
    };

    struct Buttons {
        bool add = false, modify = false, remove = false;
    };

    bool adding() const { return adding_; }
    QString addCaption() const;
    QString modifyCaption() const;
    // While adding, 修改 reads "放弃" and is the window's cancel button (Esc presses it).
    bool modifyCancels() const { return adding_; }

    // Without a login nothing is writable. `hasRecord`: a current record exists;
    // `deleteAllowed`: the editor's own rule (the settings editor keeps its last project).
    Buttons buttons(bool loggedIn, bool hasRecord, bool deleteAllowed = true) const;

    Action pressAdd();
    Action pressModify();
    // A confirmed add passed its checks and was written.
    void added() { adding_ = false; }

private:
    bool adding_ = false;
};

} // namespace manager
