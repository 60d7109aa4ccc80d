#pragma once

#include "common/run_state.h"
#include "common/services.h"

#include <QDialog>

#include <memory>

class QComboBox;

namespace draw {

// The last entry of the list: it brings back the arrangement before any draw.
inline const QString kLoadInitialEntry = QStringLiteral("初始数据 # 考前初始安排数据");

// Lists the current project's saved draws to load one, and deletes saved draws.
class Frm加载数据 : public QDialog {
public:
    Frm加载数据(common::RunState& state, common::Services& services, QWidget* parent = nullptr);
    ~Frm加载数据() override;

    // The entry chosen with 确定; stays empty when the dialog is cancelled or closed.
    QString JZX;
    // The subject of that entry (common::kInitialSubject for the initial arrangement).
    QString JZKM;

private:
    void fillList();
    void deleteChosen();

    QComboBox* Cmb项目;
    common::RunState& state_;
    common::Services& services_;
};

} // namespace draw
