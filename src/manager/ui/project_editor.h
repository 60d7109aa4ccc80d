#pragma once

#include "manager/project_form.h"
#include "manager/ui/record_editor.h"

#include <QHash>

#include <array>

class QComboBox;
class QLineEdit;

namespace manager::ui {

// 项目管理: every exam project in a paged list; one project's names, contact data, draw
// parameters and draw colours in the fields; add, modify, delete; make it the current
// project of the whole system.
class Frm项目 : public RecordEditor {
public:
    Frm项目(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

    ProjectForm form() const;
    void setForm(const ProjectForm& form);
    // ybs: the sample in the colours of the six boxes.
    void ybs();

protected:
    void showRecord(const Page& page) override;
    void clearFields() override;
    QStringList plainFields() override;
    std::optional<FieldError> checkFields() override;
    Fields fieldsToAdd() override;
    Fields fieldsToModify() override;
    bool deleteAllowed() const override;
    void updateControls() override;

private:
    QWidget* buildFields();
    QWidget* buildColours();
    void colourEdited(ColourKind kind, int index);
    void setCurrent();

    QHash<QString, QLineEdit*> texts_;   // by objectName: Txt考试名称 ...
    QHash<QString, QComboBox*> combos_;  // by objectName: Cmb抽签模式 ...
    std::array<QLineEdit*, 3> Txt前景{}; // text colour red, green, blue ("Txt前景_0" ...)
    std::array<QLineEdit*, 3> Txt背景{}; // background colour
    QLineEdit* TxtYB;                    // the colour sample
    QPushButton* setCurrentButton_;
};

} // namespace manager::ui
