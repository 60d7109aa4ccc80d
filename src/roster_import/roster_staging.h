#pragma once

#include "base/result.h"
#include "workbook/sheet.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace roster_import {

// The three kinds of people a roster holds; their names are the sheet names and the 分类 values.
enum class Category { Invigilator, Outside, Checker };
QString categoryName(Category category); // "监考员", "场外监考", "验卷"
std::optional<Category> categoryNamed(const QString& name);

// The categories the operator ticked (Check1, Check2, Check3).
struct Categories {
    bool invigilators = true;
    bool outside = true;
    bool checkers = true;

    bool contains(Category c) const {
        return c == Category::Invigilator ? invigilators : c == Category::Outside ? outside : checkers;
    }
    QVector<Category> list() const; // ticked ones, in the import's order
    QStringList sheetNames() const;
    void tick(Category c) {
        (c == Category::Invigilator ? invigilators : c == Category::Outside ? outside : checkers) = true;
    }
    static Categories only(Category c) {
        Categories one{false, false, false};
        one.tick(c);
        return one;
    }
};

// What the preview marks on a row. Empty names, incomplete room groups and texts over their
// length stop the import; the others are warnings the operator accepts by going on.
enum class ProblemKind {
    EmptyName,       // a person on a row that has a group number, without a name
    GroupIncomplete, // a 监考员 row with only one of 监考员甲 and 监考员乙
    TooLong,         // a name or unit longer than the import takes
    GroupTooLong,    // a group number longer than the room-number width: cut on the left
    GroupNotDigits,  // a group number that is not whole digits after trimming (7.5, abc)
    Gender,          // a gender other than 男 or 女 (empty, "M", "男 ")
    DuplicatePerson, // the same ID number as an earlier row, or with no ID the same name and unit
    GroupRepeated,   // a room group number that an earlier 监考员 row already has
    NameChanged,     // a name whose blanks the name rule removes or replaces
    Invisible,       // a name or unit with invisible characters, which are removed
    IdNumber,        // an ID number that is not 15 or 18 digits (the last may be X)
    PhoneScientific, // a telephone in scientific notation: the digits are lost
    LeftOut,         // a row with a person but no group number: not imported
};

struct Problem {
    ProblemKind kind;
    QString text;
    bool isError() const {
        return kind == ProblemKind::EmptyName || kind == ProblemKind::GroupIncomplete ||
               kind == ProblemKind::TooLong;
    }
};

// One person as the import will write them, with the row they came from.
struct StagedPerson {
    Category category = Category::Invigilator;
    QString group;  // 分组号, padded to the room-number width
    QString name;   // 姓名, after the name rule
    QString gender; // 性别
    QString unit;   // 来源单位
    QString phone;  // 联系电话
    QString id;     // 身份证号
    QString duty;   // 工作任务: "甲", "乙", "场外监考" or "验卷"
    QString typedGroup;
    QString typedName;
    QString partner;  // the other invigilator of the row, who names a row without this one's name
    int sheetRow = 0; // 1-based, as the spreadsheet numbers rows (the header is row 1)
    QVector<Problem> problems;

    bool hasError() const;
};

struct RosterCounts {
    int groups = 0;   // room groups of 监考员
    int outside = 0;  // 场外监考
    int checkers = 0; // 验卷
};

inline constexpr int kMaxImportPeople = 1000;

struct StagedRoster {
    enum class Status {
        Ready,   // people to import; ask the operator
        Refused, // the file is not as the import expects: `refusal`, shown critical
        Empty,   // nothing usable: kNothingUsableText (information); nothing is changed
    };
    Status status = Status::Refused;
    workbook::Format format = workbook::Format::Xls;
    Categories ticked;
    // Why the file is refused: notAcceptedText with the first error as its detail; empty unless
    // refused. The rows staged before it stay, so that the preview can show them.
    base::Failure refusal;
    QVector<StagedPerson> people; // in staging order: pairs of 监考员, then 场外监考, then 验卷
    // The people of rows without a group number, which the import leaves out, each with a
    // LeftOut problem; in sheet order per category.
    QVector<StagedPerson> leftOut;
    RosterCounts counts;
    // People of the replaced 场外监考 and 验卷 whose responsibility scopes the import clears;
    // filled in from the database before the operator is asked (clearedScopes).
    int scopesCleared = 0;

    // The people and the left-out rows together, by category and sheet row.
    QVector<const StagedPerson*> rowsInOrder() const;
    // One line per problem, for the command line: "警告 监考员 第3行 王五：性别“M”不是“男”或“女”",
    // then "警告 导入后需重新设置责任范围：N人" when scopes are cleared.
    QStringList problemLines() const;
};

// `text` cut after `limit` characters with "…" when it is longer: a name of thousands of
// characters in a problem line or a preview cell.
QString shortened(const QString& text, int limit = 40);

// The one staging step all three formats feed: finds the ticked sheets and their headers by
// name, takes every row that has a group number, pads group numbers to `width` digits, applies
// the name rule, counts, and marks each row's problems. A missing sheet or header, or more than
// 1,000 people, refuses the file; so does any row with an error, after every row was looked at.
StagedRoster stageRoster(const workbook::WorkbookContent& content, workbook::Format format,
                         const Categories& ticked, int width);

} // namespace roster_import
