#pragma once

#include "manager/timetable_rules.h"
#include "manager/ui/record_editor.h"

class QFrame;
class QLineEdit;
class QRadioButton;

namespace manager::ui {

// 考试科目与时间: the current project's subjects in a page of 5 with their start and
// duration; an empty project is offered the standard timetables to start from.
class Frm时间设置 : public RecordEditor {
public:
    Frm时间设置(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

protected:
    void showRecord(const Page& page) override;
    void clearFields() override;
    QStringList plainFields() override;
    std::optional<FieldError> checkFields() override;
    Fields fieldsToAdd() override;
    Fields fieldsToModify() override;
    void updateControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* buildFields();
    QFrame* buildFillOffer();
    TimetableInput input() const;
    void fill();

    QLineEdit* Txt科目;
    QLineEdit* Txt开考时间;
    QLineEdit* Txt持续时间;
    QFrame* fieldsFrame_; // the fields and the write buttons
    QFrame* fillFrame_;   // the offer to fill an empty project
    QRadioButton* zhongkaoOption_;
    QPushButton* fillButton_;
    QPushButton* addOneButton_;
};

} // namespace manager::ui
