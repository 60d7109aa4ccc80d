#pragma once

#include "common/services.h"
#include "manager/edit_mode.h"
#include "manager/editor_texts.h"
#include "manager/record_source.h"
#include "manager/ui/record_grid.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace manager::ui {

// A button of the data-management windows: Enter in an edit field never presses it, and a
// long Chinese caption is never cut.
QPushButton* editorButton(const char* objectName, const QString& caption, QWidget* parent);

// What every data-management editor shares: the run's connection, the record grid, the
// header label, the write guard, the delete confirmation and the 追加/修改/删除 protocol.
// An editor supplies its table, its fields and its checks:
//
//   class Frm时间设置 : public RecordEditor {
//       Frm时间设置(state, services, parent)
//           : RecordEditor(state, services, timetableDefinition(state.DQXM), 5, 1, parent) {
//           ... build the fields and a layout holding grid_ and writeButtons() ...
//           load();   // last: clears, applies the login, refreshes
//       }
//       void showRecord(const Page&) override;  void clearFields() override;
//       std::optional<FieldError> checkFields() override;
//       Fields fieldsToAdd() override;  Fields fieldsToModify() override;
//   };
class RecordEditor : public QDialog {
public:
    RecordEditor(common::RunState& state, common::Services& services, SourceDefinition source, int pageSize,
                 int linesPerRow, QWidget* parent);
    ~RecordEditor() override;

    // False when the run had no connection for the editor (the reason was said).
    bool isUsable() const { return source_ != nullptr; }

    // 刷新: the page, the current record into the fields, the buttons.
    void refresh();

protected:
    // The current record into the fields; `page` may have none.
    virtual void showRecord(const Page& page) = 0;
    // Add mode begins.
    virtual void clearFields() = 0;
    // Before the checks of 追加 and 修改: the fields' invisible characters removed, in the
    // fields themselves; one warning line per field that had any.
    virtual QStringList plainFields() { return {}; }
    virtual std::optional<FieldError> checkFields() = 0;
    virtual Fields fieldsToAdd() = 0;
    virtual Fields fieldsToModify() = 0;
    // The editor's own rule for 删除 beside login, add mode and a current record.
    virtual bool deleteAllowed() const { return true; }
    // After every refresh and every change of mode.
    virtual void updateControls() {}

    // The load: header, cleared rows, refresh. Called last by each editor's constructor.
    void load();
    // A header label (the editor's exam and site names) under `objectName`.
    QLabel* addHeader(const QString& objectName);
    // The three write buttons in a row.
    QHBoxLayout* writeButtons();

    // The write guard (read-only database).
    bool guard();
    // Runs one database action; a failure becomes one message and false.
    bool attempt(const std::function<void()>& action, const QString& what);
    void focusField(const QString& objectName);

    db::Database& database() { return common::runDatabase(state_); }
    RecordSource& source() { return *source_; }
    RecordPager& pager() { return pager_; }
    const RecordPager& pager() const { return pager_; }
    const Page& page() const { return page_; }
    const EditMode& mode() const { return mode_; }
    void keyPressEvent(QKeyEvent* event) override;

    common::RunState& state_;
    common::Services& services_;
    RecordGrid* grid_;
    QPushButton* Cmd追加; // also pressed by the timetable's 单个追加

private:
    void pressAdd();
    void pressModify();
    void pressDelete();
    void applyMode();
    bool passesChecks();

    QPushButton* Cmd修改;
    QPushButton* Cmd删除;
    std::unique_ptr<RecordSource> source_;
    RecordPager pager_;
    Page page_;
    EditMode mode_;
    QLabel* header_ = nullptr;
};

} // namespace manager::ui
