#include "roster_import/roster_staging.h"

#include "common/roster_rules.h"
#include "roster_import/import_texts.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace roster_import {

namespace {

const QString kGroup = QStringLiteral("分组号");
const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");

// The header names of one person's fields on a sheet, in the order the import stores them.
struct PersonColumns {
    QString name, gender, unit, phone, id;
};

const PersonColumns kA{QStringLiteral("监考员甲"), QStringLiteral("性别1"), QStringLiteral("来源单位1"),
                       QStringLiteral("联系电话1"), QStringLiteral("身份证号1")};
const PersonColumns kB{QStringLiteral("监考员乙"), QStringLiteral("性别2"), QStringLiteral("来源单位2"),
                       QStringLiteral("联系电话2"), QStringLiteral("身份证号2")};
const PersonColumns kSingle{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("来源单位"),
                            QStringLiteral("联系电话"), QStringLiteral("身份证号")};

struct Refusal {
    QString detail;
};

bool hasBlank(const QString& name) {
    return name.contains(QLatin1Char(' ')) || name.contains(QChar(0x3000));
}

// A number the spreadsheet showed in scientific notation ("4.10102E+17"): its digits are lost.
bool isScientific(const QString& text) {
    static const QRegularExpression notation(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]*)?[eE][+-]?[0-9]+$"));
    return notation.match(text.trimmed()).hasMatch();
}

bool isIdNumber(const QString& text) {
    static const QRegularExpression id(QStringLiteral("^([0-9]{15}|[0-9]{17}[0-9Xx])$"));
    return id.match(text).hasMatch();
}

class Stager {
public:
    Stager(const workbook::Workbook& content, const Categories& ticked, int width)
        : content_(content), ticked_(ticked), width_(width) {}

    void run(StagedRoster& out) {
        for (const Category c : ticked_.list())
            stageSheet(c, out);
        markDuplicates(out.people);
    }

private:
    // Column of each header on the sheet's first row; a missing one refuses the file.
    QHash<QString, int> columns(const workbook::Sheet& sheet, const QStringList& headers) const {
        const QStringList first = sheet.rows.value(0);
        QHash<QString, int> found;
        for (const QString& h : headers) {
            const qsizetype at = first.indexOf(h);
            if (at < 0)
                throw Refusal{kMissingHeaderDetail.arg(sheet.name, h)};
            found.insert(h, int(at));
        }
        return found;
    }

    void stageSheet(Category category, StagedRoster& out) {
        const QString name = categoryName(category);
        const workbook::Sheet* sheet = content_.sheet(name);
        if (!sheet)
            throw Refusal{kMissingSheetDetail.arg(name)};
        const bool pairs = category == Category::Invigilator;
        QStringList headers{kGroup};
        for (const PersonColumns& p :
             pairs ? QVector<PersonColumns>{kA, kB} : QVector<PersonColumns>{kSingle})
            headers << p.name << p.gender << p.unit << p.phone << p.id;
        const QHash<QString, int> at = columns(*sheet, headers);

        for (int r = 1; r < sheet->rows.size(); ++r) {
            const QString group = common::cleanRoomNumber(sheet->cell(r, at[kGroup]));
            if (group.isEmpty()) {
                if (pairs) {
                    leaveOut(out, *sheet, r, at, kA, category, QStringLiteral("甲"));
                    leaveOut(out, *sheet, r, at, kB, category, QStringLiteral("乙"));
                } else {
                    leaveOut(out, *sheet, r, at, kSingle, category, name);
                }
                continue;
            }
            if (pairs) {
                ++out.counts.groups;
                StagedPerson a = person(*sheet, r, at, kA, category, QStringLiteral("甲"), group);
                StagedPerson b = person(*sheet, r, at, kB, category, QStringLiteral("乙"), group);
                a.partner = b.name;
                b.partner = a.name;
                markIncomplete(a, b);
                markRepeatedGroup(a, b);
                add(out, a);
                add(out, b);
            } else {
                ++(category == Category::Outside ? out.counts.outside : out.counts.checkers);
                add(out, person(*sheet, r, at, kSingle, category, name, group));
            }
        }
    }

    // A person on a row without a group number stays out of the roster, as before; the
    // operator is told, so that nobody vanishes without a word (a merged 分组号 cell leaves
    // the rows below it without one).
    void leaveOut(StagedRoster& out, const workbook::Sheet& sheet, int row, const QHash<QString, int>& at,
                  const PersonColumns& cols, Category category, const QString& duty) const {
        StagedPerson p = person(sheet, row, at, cols, category, duty, QString());
        if (p.name.isEmpty() && p.gender.isEmpty() && p.unit.isEmpty() && p.phone.isEmpty() && p.id.isEmpty())
            return;
        p.problems = {{ProblemKind::LeftOut, QStringLiteral("没有分组号，此行未导入")}};
        out.leftOut.push_back(p);
    }

    void add(StagedRoster& out, const StagedPerson& p) {
        if (out.people.size() >= kMaxImportPeople)
            throw Refusal{kTooManyPeopleDetail.arg(kMaxImportPeople)};
        out.people.push_back(p);
    }

    StagedPerson person(const workbook::Sheet& sheet, int row, const QHash<QString, int>& at,
                        const PersonColumns& cols, Category category, const QString& duty,
                        const QString& group) const {
        StagedPerson p;
        p.category = category;
        p.typedGroup = sheet.cell(row, at[kGroup]);
        p.group = group.isEmpty() ? QString() : common::padImportedRoomNumber(group, width_);
        p.typedName = sheet.cell(row, at[cols.name]);
        const QString plainName = common::plainText(p.typedName);
        p.name = common::normaliseName(plainName);
        p.gender = sheet.cell(row, at[cols.gender]);
        const QString typedUnit = sheet.cell(row, at[cols.unit]);
        p.unit = common::plainText(typedUnit);
        p.phone = sheet.cell(row, at[cols.phone]);
        p.id = sheet.cell(row, at[cols.id]);
        p.duty = duty;
        p.sheetRow = row + 1;
        if (group.isEmpty())
            return p;

        if (p.name.isEmpty())
            p.problems.push_back({ProblemKind::EmptyName, QStringLiteral("%1为空").arg(cols.name)});
        markTooLong(p, QStringLiteral("姓名"), p.name, common::kMaxNameLength);
        markTooLong(p, cols.unit, p.unit, common::kMaxTitleLength);
        if (width_ > 0 && group.size() > width_)
            p.problems.push_back(
                {ProblemKind::GroupTooLong, QStringLiteral("分组号“%1”超过%2位，将存为“%3”")
                                                .arg(group, QString::number(width_), p.group)});
        if (!common::isDigitsOnly(group))
            p.problems.push_back({ProblemKind::GroupNotDigits,
                                  QStringLiteral("分组号“%1”不是纯数字，将存为“%2”").arg(group, p.group)});
        if (p.gender.isEmpty())
            p.problems.push_back({ProblemKind::Gender, QStringLiteral("性别为空")});
        else if (p.gender != kMale && p.gender != kFemale)
            p.problems.push_back(
                {ProblemKind::Gender, QStringLiteral("性别“%1”不是“男”或“女”").arg(p.gender)});
        if (plainName != p.typedName)
            markInvisible(p, QStringLiteral("姓名"), p.typedName, p.name);
        // The blank the rule puts into a two-character name is no change of the name.
        else if (hasBlank(p.typedName) && p.name != p.typedName && !p.name.isEmpty())
            p.problems.push_back(
                {ProblemKind::NameChanged,
                 QStringLiteral("姓名“%1”将存为“%2”").arg(shortened(p.typedName), shortened(p.name))});
        if (p.unit != typedUnit)
            markInvisible(p, cols.unit, typedUnit, p.unit);
        if (!p.id.isEmpty() && !isIdNumber(p.id))
            p.problems.push_back(
                {ProblemKind::IdNumber,
                 isScientific(p.id) ? QStringLiteral("身份证号“%1”是科学计数法，号码已不完整").arg(p.id)
                                    : QStringLiteral("身份证号“%1”不是15位或18位数字").arg(shortened(p.id))});
        if (isScientific(p.phone))
            p.problems.push_back({ProblemKind::PhoneScientific,
                                  QStringLiteral("联系电话“%1”是科学计数法，号码已不完整").arg(p.phone)});
        return p;
    }

    static void markTooLong(StagedPerson& p, const QString& field, const QString& text, int limit) {
        const int length = common::characterCount(text);
        if (length > limit)
            p.problems.push_back(
                {ProblemKind::TooLong,
                 QStringLiteral("%1有%2个字符，超过%3个字符的上限").arg(field).arg(length).arg(limit)});
    }

    static void markInvisible(StagedPerson& p, const QString& field, const QString& typed,
                              const QString& stored) {
        p.problems.push_back({ProblemKind::Invisible,
                              QStringLiteral("%1中有不可见字符（%2），将存为“%3”")
                                  .arg(field, common::invisibleCharacters(typed).join(QStringLiteral("、")),
                                       shortened(stored))});
    }

    static void markIncomplete(StagedPerson& a, StagedPerson& b) {
        if (a.name.isEmpty() == b.name.isEmpty())
            return;
        StagedPerson& missing = a.name.isEmpty() ? a : b;
        missing.problems.erase(
            std::remove_if(missing.problems.begin(), missing.problems.end(),
                           [](const Problem& p) { return p.kind == ProblemKind::EmptyName; }),
            missing.problems.end());
        missing.problems.push_front(
            {ProblemKind::GroupIncomplete, a.name.isEmpty() ? QStringLiteral("只有监考员乙，缺监考员甲")
                                                            : QStringLiteral("只有监考员甲，缺监考员乙")});
    }

    void markRepeatedGroup(StagedPerson& a, StagedPerson& b) {
        const auto earlier = groupRows_.constFind(a.group);
        if (earlier == groupRows_.constEnd()) {
            groupRows_.insert(a.group, a.sheetRow);
            return;
        }
        const Problem repeated{
            ProblemKind::GroupRepeated,
            QStringLiteral("分组号“%1”在第%2行已经有一组").arg(a.group, QString::number(*earlier))};
        a.problems.push_back(repeated);
        b.problems.push_back(repeated);
    }

    static void markDuplicates(QVector<StagedPerson>& people) {
        QHash<QString, qsizetype> seen;
        for (qsizetype i = 0; i < people.size(); ++i) {
            StagedPerson& p = people[i];
            if (p.name.isEmpty())
                continue;
            const bool byId = !p.id.isEmpty();
            const QString key = byId ? QString(QStringLiteral("id\x1f") + p.id.toUpper())
                                     : QString(QStringLiteral("nu\x1f") + p.name + QChar(0x1f) + p.unit);
            const auto first = seen.constFind(key);
            if (first == seen.constEnd()) {
                seen.insert(key, i);
                continue;
            }
            const StagedPerson& q = people[*first];
            p.problems.push_back(
                {ProblemKind::DuplicatePerson,
                 QStringLiteral("与“%1”第%2行的%3%4相同")
                     .arg(categoryName(q.category))
                     .arg(q.sheetRow)
                     .arg(q.name, byId ? QStringLiteral("身份证号") : QStringLiteral("姓名和来源单位"))});
        }
    }

    const workbook::Workbook& content_;
    const Categories& ticked_;
    int width_;
    QHash<QString, int> groupRows_;
};

} // namespace

QString categoryName(Category category) {
    switch (category) {
    case Category::Invigilator:
        return QStringLiteral("监考员");
    case Category::Outside:
        return QStringLiteral("场外监考");
    case Category::Checker:
        return QStringLiteral("验卷");
    }
    return {};
}

std::optional<Category> categoryNamed(const QString& name) {
    for (const Category c : {Category::Invigilator, Category::Outside, Category::Checker}) {
        if (categoryName(c) == name)
            return c;
    }
    return std::nullopt;
}

QVector<Category> Categories::list() const {
    QVector<Category> out;
    for (const Category c : {Category::Invigilator, Category::Outside, Category::Checker}) {
        if (contains(c))
            out.push_back(c);
    }
    return out;
}

QStringList Categories::sheetNames() const {
    QStringList names;
    for (const Category c : list())
        names.push_back(categoryName(c));
    return names;
}

QString shortened(const QString& text, int limit) {
    const QList<uint> chars = text.toUcs4();
    if (chars.size() <= limit)
        return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), limit) + QChar(0x2026);
}

bool StagedPerson::hasError() const {
    return std::any_of(problems.begin(), problems.end(), [](const Problem& p) { return p.isError(); });
}

QVector<const StagedPerson*> StagedRoster::rowsInOrder() const {
    QVector<const StagedPerson*> rows;
    for (const QVector<StagedPerson>* list : {&people, &leftOut}) {
        for (const StagedPerson& p : *list)
            rows.push_back(&p);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const StagedPerson* x, const StagedPerson* y) {
        return std::pair(int(x->category), x->sheetRow) < std::pair(int(y->category), y->sheetRow);
    });
    return rows;
}

QStringList StagedRoster::problemLines() const {
    QStringList lines;
    for (const StagedPerson* p : rowsInOrder()) {
        // A row with only one invigilator is named after the one who is there.
        const QString who = !p->name.isEmpty()      ? shortened(p->name)
                            : !p->partner.isEmpty() ? shortened(p->partner)
                                                    : QStringLiteral("（无姓名）");
        for (const Problem& q : p->problems) {
            lines.push_back(QStringLiteral("%1 %2 第%3行 %4：%5")
                                .arg(q.isError() ? QStringLiteral("错误") : QStringLiteral("警告"),
                                     categoryName(p->category), QString::number(p->sheetRow), who, q.text));
        }
    }
    if (scopesCleared > 0)
        lines.push_back(QStringLiteral("警告 ") + scopesClearedText(scopesCleared));
    return lines;
}

StagedRoster stageRoster(const workbook::WorkbookContent& content, workbook::Format format,
                         const Categories& ticked, int width) {
    StagedRoster out;
    out.format = format;
    out.ticked = ticked;
    try {
        if (!content)
            throw Refusal{content.error().message};
        Stager(*content, ticked, width).run(out);
    } catch (const Refusal& r) {
        out.status = StagedRoster::Status::Refused;
        out.refusal = {notAcceptedText(workbook::formatName(format)), r.detail};
        return out;
    }
    const auto firstError = std::find_if(out.people.cbegin(), out.people.cend(),
                                         [](const StagedPerson& p) { return p.hasError(); });
    if (firstError != out.people.cend()) {
        out.status = StagedRoster::Status::Refused;
        const Problem& e = *std::find_if(firstError->problems.cbegin(), firstError->problems.cend(),
                                         [](const Problem& p) { return p.isError(); });
        out.refusal = {notAcceptedText(workbook::formatName(format)),
                       QStringLiteral("工作表“%1”第%2行：%3")
                           .arg(categoryName(firstError->category))
                           .arg(firstError->sheetRow)
                           .arg(e.text)};
    } else if (out.people.isEmpty()) {
        out.status = StagedRoster::Status::Empty;
    } else {
        out.status = StagedRoster::Status::Ready;
    }
    return out;
}

} // namespace roster_import
