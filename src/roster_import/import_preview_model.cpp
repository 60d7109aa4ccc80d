#include "roster_import/import_preview_model.h"

#include <QMap>
#include <QStringList>

#include <algorithm>

namespace roster_import {

namespace {

const QString kListSeparator = QStringLiteral("；");
// A cell shows this many characters of a longer text; the import refuses such names anyway.
constexpr int kMaxCellCharacters = 60;

bool isLeftOut(const StagedPerson& p) {
    return std::any_of(p.problems.cbegin(), p.problems.cend(),
                       [](const Problem& q) { return q.kind == ProblemKind::LeftOut; });
}

QString headerOf(PreviewModel::Column column) {
    using C = PreviewModel::Column;
    switch (column) {
    case C::SheetRow:
        return QStringLiteral("行号");
    case C::Group:
        return QStringLiteral("分组号");
    case C::Duty:
        return QStringLiteral("任务");
    case C::Name:
        return QStringLiteral("姓名");
    case C::Gender:
        return QStringLiteral("性别");
    case C::Unit:
        return QStringLiteral("来源单位");
    case C::Phone:
        return QStringLiteral("联系电话");
    case C::Id:
        return QStringLiteral("身份证号");
    case C::Problems:
        return QStringLiteral("问题");
    }
    return {};
}

// "错误2处：甲乙不全1，姓名为空1"; kinds in their declared order.
QString kindCounts(const QString& label, int total, const QMap<ProblemKind, int>& byKind) {
    QStringList parts;
    for (auto it = byKind.cbegin(); it != byKind.cend(); ++it)
        parts << problemKindName(it.key()) + QString::number(it.value());
    return label + QString::number(total) + QStringLiteral("处：") + parts.join(QStringLiteral("，"));
}

QStringList problemTexts(const StagedPerson& p) {
    QStringList texts;
    for (const Problem& q : p.problems)
        texts << q.text;
    return texts;
}

} // namespace

RowMark markOf(const StagedPerson& person) {
    if (person.hasError())
        return RowMark::Error;
    return person.problems.isEmpty() ? RowMark::None : RowMark::Warning;
}

QString problemKindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::EmptyName:
        return QStringLiteral("姓名为空");
    case ProblemKind::GroupIncomplete:
        return QStringLiteral("甲乙不全");
    case ProblemKind::GroupTooLong:
        return QStringLiteral("分组号超长");
    case ProblemKind::Gender:
        return QStringLiteral("性别不规范");
    case ProblemKind::DuplicatePerson:
        return QStringLiteral("人员重复");
    case ProblemKind::GroupRepeated:
        return QStringLiteral("分组号重复");
    case ProblemKind::NameChanged:
        return QStringLiteral("姓名改动");
    case ProblemKind::TooLong:
        return QStringLiteral("内容过长");
    case ProblemKind::GroupNotDigits:
        return QStringLiteral("分组号非数字");
    case ProblemKind::Invisible:
        return QStringLiteral("不可见字符");
    case ProblemKind::IdNumber:
        return QStringLiteral("身份证号不规范");
    case ProblemKind::PhoneScientific:
        return QStringLiteral("电话号码不完整");
    case ProblemKind::LeftOut:
        return QStringLiteral("未导入");
    }
    return {};
}

PreviewSummary previewSummary(const StagedRoster& staged) {
    PreviewSummary s;
    QMap<ProblemKind, int> errors, warnings;
    QMap<Category, int> people;
    for (const StagedPerson& p : staged.people)
        ++people[p.category];
    for (const StagedPerson* p : staged.rowsInOrder()) {
        for (const Problem& q : p->problems)
            ++(q.isError() ? errors : warnings)[q.kind];
    }
    for (const int n : errors)
        s.errors += n;
    for (const int n : warnings)
        s.warnings += n;

    QStringList counts;
    for (const Category c : staged.ticked.list()) {
        const int n = people.value(c);
        if (c == Category::Invigilator)
            counts << categoryName(c) + QString::number(staged.counts.groups) + QStringLiteral("组（") +
                          QString::number(n) + QStringLiteral("人）");
        else
            counts << categoryName(c) + QString::number(n) + QStringLiteral("人");
    }
    s.people = counts.join(kListSeparator);

    QStringList problems;
    if (s.errors > 0)
        problems << kindCounts(QStringLiteral("错误"), s.errors, errors);
    if (s.warnings > 0)
        problems << kindCounts(QStringLiteral("警告"), s.warnings, warnings);
    s.problems = problems.isEmpty() ? QStringLiteral("未发现问题") : problems.join(kListSeparator);
    return s;
}

PreviewModel::PreviewModel(const StagedRoster& staged, Category category, QObject* parent)
    : QAbstractTableModel(parent), category_(category) {
    using C = Column;
    columns_ = {C::SheetRow, C::Group, C::Duty, C::Name, C::Gender, C::Unit, C::Phone, C::Id, C::Problems};
    if (category != Category::Invigilator)
        columns_.removeOne(C::Duty);
    for (const StagedPerson* p : staged.rowsInOrder()) {
        if (p->category == category)
            people_.push_back(*p);
    }
    fillShown();
}

QString PreviewModel::title() const {
    const int leftOut = int(std::count_if(people_.cbegin(), people_.cend(), isLeftOut));
    QString t = categoryName(category_) + QStringLiteral("（") + QString::number(people_.size() - leftOut) +
                QStringLiteral("人");
    if (const int n = problemRows() - leftOut; n > 0)
        t += QStringLiteral("，") + QString::number(n) + QStringLiteral("人有问题");
    if (leftOut > 0)
        t += QStringLiteral("，") + QString::number(leftOut) + QStringLiteral("人未导入");
    return t + QStringLiteral("）");
}

int PreviewModel::problemRows() const {
    return int(std::count_if(people_.cbegin(), people_.cend(),
                             [](const StagedPerson& p) { return !p.problems.isEmpty(); }));
}

void PreviewModel::setProblemsOnly(bool only) {
    if (only == problemsOnly_)
        return;
    beginResetModel();
    problemsOnly_ = only;
    fillShown();
    endResetModel();
}

void PreviewModel::fillShown() {
    shown_.clear();
    for (int i = 0; i < people_.size(); ++i) {
        if (!problemsOnly_ || !people_[i].problems.isEmpty())
            shown_.push_back(i);
    }
}

RowMark PreviewModel::mark(int row) const {
    if (row < 0 || row >= shown_.size())
        return RowMark::None;
    return markOf(people_[shown_[row]]);
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString PreviewModel::text(const StagedPerson& p, Column column) const {
    switch (column) {
    case Column::SheetRow:
        return QString::number(p.sheetRow);
    case Column::Group:
        return p.group;
    case Column::Duty:
        return p.duty;
    case Column::Name:
        return p.name;
    case Column::Gender:
        return p.gender;
    case Column::Unit:
        return p.unit;
    case Column::Phone:
        return p.phone;
    case Column::Id:
        return p.id;
    case Column::Problems:
        return problemTexts(p).join(kListSeparator);
    }
    return {};
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_.size() || index.column() >= columns_.size())
        return {};
    const StagedPerson& p = people_[shown_[index.row()]];
    const Column column = columns_[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return column == Column::Problems ? text(p, column) : shortened(text(p, column), kMaxCellCharacters);
    case Qt::ToolTipRole:
        // A long list of problems is cut by the column; the tip shows each on its own line.
        if (column == Column::Problems && !p.problems.isEmpty())
            return problemTexts(p).join(QLatin1Char('\n'));
        return {};
    case kMarkRole:
        return int(markOf(p));
    default:
        return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return headerOf(columns_[section]);
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace roster_import
