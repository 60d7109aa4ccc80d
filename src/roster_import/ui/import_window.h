#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "roster_import/roster_staging.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace roster_import::ui {

// Replaces the current project's roster by the people of a workbook or CSV file, after a
// preview and a question, and writes the empty workbook sites fill in.
class Frm数据导入 : public QDialog {
public:
    Frm数据导入(common::RunState& state, common::Services& services, QWidget* parent = nullptr);
    // The window reads the database only when an import is confirmed, so it always opens.
    bool isUsable() const { return true; }

    // Moves the folder and file lists (and the drive list with them) to `folder`.
    void 显示目录(const QString& folder);
    const QString& 文件路径() const { return path_; }

private:
    void 列出驱动器();
    void 选择驱动器(int index);
    void 进入目录(const QString& entry);
    void 列出文件(const QString& keep = {});
    void 选择文件();
    void 导入数据();
    bool 预览(const StagedRoster& staged);
    // Counts into `staged` the people whose responsibility scopes the import clears; false when
    // the database could not be read (said).
    bool 清除的责任范围(StagedRoster& staged);
    void 写入(const StagedRoster& staged);
    void 生成样表();
    void say(const QString& text, common::Prompter::Icon icon);

    QComboBox* driveCombo_;
    QLineEdit* Txt目录; // the folder folderList_ shows
    QListWidget* folderList_;
    QListWidget* fileList_;
    QCheckBox* invigilatorsBox_;
    QCheckBox* outsideBox_;
    QCheckBox* checkersBox_;
    QPushButton* importButton_;
    common::RunState& state_;
    common::Services& services_;
    QString folder_;
    QString path_;
};

} // namespace roster_import::ui
