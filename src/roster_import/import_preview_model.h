#pragma once

#include "roster_import/roster_staging.h"

#include <QAbstractTableModel>
#include <QVector>

// What the import's preview shows, without widgets: one table per category of the people the
// import will write, each row marked by its problems, and the counts above the tables.
namespace roster_import {

enum class RowMark { None, Warning, Error };

RowMark markOf(const StagedPerson& person);

// Short names of the problem kinds for the counts: "姓名为空", "分组号超长", ...
QString problemKindName(ProblemKind kind);

struct PreviewSummary {
    int errors = 0;   // problems that stop the import
    int warnings = 0; // problems the operator may accept
    QString people;   // "监考员5组（10人）；场外监考3人；验卷2人", the ticked categories
    QString problems; // "错误1处：甲乙不全1；警告3处：性别不规范2，姓名改动1", or "未发现问题"
};

PreviewSummary previewSummary(const StagedRoster& staged);

// The people of one category in staging order. An invigilator's row shows the duty (甲 or
// 乙); the others would repeat the category there and leave it out.
class PreviewModel : public QAbstractTableModel {
public:
    enum class Column { SheetRow, Group, Duty, Name, Gender, Unit, Phone, Id, Problems };
    // data() gives the row's RowMark as an int under this role.
    static constexpr int kMarkRole = Qt::UserRole + 1;

    PreviewModel(const StagedRoster& staged, Category category, QObject* parent = nullptr);

    Category category() const { return category_; }
    // "监考员（10人，4人有问题）" or "验卷（2人）"
    QString title() const;
    int problemRows() const;
    Column column(int section) const { return columns_.value(section); }
    int sectionOf(Column column) const { return int(columns_.indexOf(column)); }

    void setProblemsOnly(bool only);
    bool problemsOnly() const { return problemsOnly_; }
    RowMark mark(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString text(const StagedPerson& person, Column column) const;
    void fillShown();

    Category category_;
    QVector<Column> columns_;
    QVector<StagedPerson> people_;
    QVector<int> shown_; // indices into people_
    bool problemsOnly_ = false;
};

} // namespace roster_import
