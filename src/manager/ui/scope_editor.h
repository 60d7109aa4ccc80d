#pragma once

#include "common/services.h"
#include "manager/scope_model.h"
#include "manager/ui/record_grid.h"

#include <QDialog>
#include <QVector>

#include <functional>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

namespace manager::ui {

// 责任范围: the outside supervisors or the paper checkers in a page of 20, the project's
// rooms as check boxes; the current person's rooms are ticked and saved, or every person
// gets the room of his own group in one step.
class Frm责任 : public QDialog {
public:
    Frm责任(common::RunState& state, common::Services& services, QWidget* parent = nullptr);
    ~Frm责任() override;

    // False when the run had no connection for the editor (the reason was said).
    bool isUsable() const { return model_ != nullptr; }

    // 读场外, 读考室, 显示考室 and the buttons.
    void refresh();

private:
    QWidget* buildRooms();
    void showRooms();
    QVector<bool> ticks() const;
    void chooseCategory(DutyCategory category);
    void save();
    void oneToOne();
    bool guard();
    bool attempt(const std::function<void()>& action, const QString& what);

    QLabel* headingLabel_;
    RecordGrid* grid_;
    QVector<QCheckBox*> Chk考室; // 9 columns of 18, box k for room k+1
    QPushButton* saveButton_;
    QPushButton* invertButton_;
    QPushButton* selectAllButton_;
    QPushButton* oneToOneButton_;
    QLabel* Lbl超出; // says when rooms lie beyond the grid
    common::RunState& state_;
    common::Services& services_;
    std::unique_ptr<ScopeModel> model_;
};

} // namespace manager::ui
