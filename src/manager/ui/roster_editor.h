#pragma once

#include "manager/staff_roster.h"
#include "manager/ui/record_editor.h"

#include <QVector>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace manager::ui {

// 人员管理: the project's invigilators, or its outside supervisors and paper checkers, in a
// page of 12; the whole project's counts beside them; add, modify, delete; the
// responsibility scopes of the outside category.
class Frm监考员 : public RecordEditor {
public:
    Frm监考员(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

    RosterCategory category() const;
    RosterSubset subset() const;

protected:
    void showRecord(const Page& page) override;
    void clearFields() override;
    QStringList plainFields() override;
    std::optional<FieldError> checkFields() override;
    Fields fieldsToAdd() override;
    Fields fieldsToModify() override;
    void updateControls() override;

private:
    QWidget* buildView();
    QWidget* buildFields();
    RosterInput input() const;
    void setInput(const RosterInput& in);
    // The checked fields as they are saved, written back into the edit controls.
    RosterInput normalise();
    void applyView();
    void openScopes();

    QRadioButton* invigilatorsOption_;
    QRadioButton* outsideAndCheckersOption_;
    QRadioButton* showAllOption_;
    QRadioButton* firstDutyOption_;  // only 甲, or only 场外监考
    QRadioButton* secondDutyOption_; // only 乙, or only 验卷
    QLabel* listTitleLabel_;
    QLabel* numberLabel_; // the label of Txt编号
    QPlainTextEdit* txt统计;
    QLineEdit* Txt编号;
    QLineEdit* Txt姓名;
    QComboBox* Cmb性别;
    QComboBox* Cmb安排;
    QLineEdit* Txt单位;
    QLineEdit* Txt电话;
    QLineEdit* Txt身份证号;
    QPushButton* Cmd责任;
    QVector<QWidget*> edits_; // the seven edit controls
};

} // namespace manager::ui
