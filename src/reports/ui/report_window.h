#pragma once

#include "common/run_state.h"
#include "common/services.h"
#include "reports/report_html.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;

namespace reports::ui {

// The report window: choose a saved draw of the current project or the initial
// arrangement, write the report and open it. It stays open for the next report.
class Frm报表 : public QDialog {
public:
    Frm报表(common::RunState& state, common::Services& services, QWidget* parent = nullptr);
    ~Frm报表() override;

private:
    void 列出报表();
    void 输出报表();
    void finish(const ReportResult& result);

    QComboBox* Cmb报表;
    QCheckBox* dutiesOnlyBox_;
    common::RunState& state_;
    common::Services& services_;
    QString openError_;
};

// The last entry of the list: the roster before any draw.
inline const QString kReportInitialEntry = QStringLiteral("初始安排数据");

} // namespace reports::ui
