#pragma once

#include "cli/command_line.h"

#include "roster_import/roster_staging.h"
#include "test_db.h"
#include "workbook/sheet.h"
#include "workbook/xls_writer.h"

#include <QFile>
#include <QSqlField>
#include <QStringList>

// Workbooks for the import tests, written by our own writer with every cell as text, and the
// views of the roster that the tests compare.
namespace roster_fixture {

inline workbook::Sheet sheet(const QString& name, const QVector<QStringList>& rows) {
    return {name, rows};
}

inline QStringList invigilatorHeader() {
    return {u"分组号"_qs,    u"监考员甲"_qs,  u"性别1"_qs,    u"身份证号1"_qs,
            u"来源单位1"_qs, u"联系电话1"_qs, u"监考员乙"_qs, u"性别2"_qs,
            u"身份证号2"_qs, u"来源单位2"_qs, u"联系电话2"_qs};
}

inline QStringList singleHeader() {
    return {u"分组号"_qs, u"姓名"_qs, u"性别"_qs, u"身份证号"_qs, u"来源单位"_qs, u"联系电话"_qs};
}

// A room group in the template's column order.
inline QStringList room(const QString& group, const QString& a, const QString& b,
                        const QString& genderA = u"男"_qs, const QString& genderB = u"女"_qs) {
    return {group, a,       genderA,   QString(),  u"一中"_qs, QString(),
            b,     genderB, QString(), u"二中"_qs, QString()};
}

inline QStringList single(const QString& group, const QString& name, const QString& id = {},
                          const QString& unit = u"三中"_qs) {
    return {group, name, u"男"_qs, id, unit, QString()};
}

inline QByteArray workbookBytes(const QVector<workbook::Sheet>& sheets) {
    workbook::XlsWriter w;
    for (const workbook::Sheet& s : sheets) {
        const int index = w.addSheet(s.name);
        for (int r = 0; r < s.rows.size(); ++r) {
            for (int c = 0; c < s.rows[r].size(); ++c) {
                if (!s.rows[r][c].isEmpty())
                    w.setText(index, r, c, s.rows[r][c]);
            }
        }
    }
    return w.file();
}

inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

// Every column of every roster row, in key order: equal dumps mean an untouched roster.
inline QStringList rosterDump(const db::Database& db) {
    QStringList out;
    for (const db::Row& r : db.query(u"select * from 人员安排 order by 编号"_qs)) {
        QStringList fields;
        for (int i = 0; i < r.count(); ++i)
            fields << (r.isNull(i) ? u"<null>"_qs : r.value(i).toString());
        out << fields.join(u'|');
    }
    // The server's numbers are never given back, even by an insert that was undone.
    if (db.server().isEmpty())
        out << db.scalar(u"select seq from sqlite_sequence where name='人员安排'"_qs).toString();
    return out;
}

// One line per staged person: category, group, duty, name, and the kinds of its problems.
inline QString kindName(roster_import::ProblemKind k) {
    using roster_import::ProblemKind;
    switch (k) {
    case ProblemKind::EmptyName:
        return u"EmptyName"_qs;
    case ProblemKind::GroupIncomplete:
        return u"GroupIncomplete"_qs;
    case ProblemKind::GroupTooLong:
        return u"GroupTooLong"_qs;
    case ProblemKind::Gender:
        return u"Gender"_qs;
    case ProblemKind::DuplicatePerson:
        return u"DuplicatePerson"_qs;
    case ProblemKind::GroupRepeated:
        return u"GroupRepeated"_qs;
    case ProblemKind::NameChanged:
        return u"NameChanged"_qs;
    case ProblemKind::TooLong:
        return u"TooLong"_qs;
    case ProblemKind::GroupNotDigits:
        return u"GroupNotDigits"_qs;
    case ProblemKind::Invisible:
        return u"Invisible"_qs;
    case ProblemKind::IdNumber:
        return u"IdNumber"_qs;
    case ProblemKind::PhoneScientific:
        return u"PhoneScientific"_qs;
    case ProblemKind::LeftOut:
        return u"LeftOut"_qs;
    }
    return {};
}

// Left-out rows among them, in sheet order.
inline QStringList summary(const roster_import::StagedRoster& staged) {
    QStringList out;
    for (const roster_import::StagedPerson* p : staged.rowsInOrder()) {
        QStringList kinds;
        for (const roster_import::Problem& q : p->problems)
            kinds << kindName(q.kind);
        out << QStringList{roster_import::categoryName(p->category), p->group, p->duty, p->name,
                           kinds.join(u',')}
                   .join(u'|');
    }
    return out;
}

} // namespace roster_fixture

// Runs examdb with `args` and `input` typed on its console; gives the exit status, with what it
// printed in `output` and `errors`.
inline int examdb(const QStringList& args, QString input, QString& output, QString& errors,
                  const QDateTime& now = QDateTime::currentDateTime()) {
    QTextStream in(&input), out(&output), err(&errors);
    const int status = cli::run(args, {QString(), now, {in, out, err}});
    out.flush();
    err.flush();
    return status;
}

// Why a workbook could not be read; empty when it could.
inline QString failureOf(const workbook::WorkbookContent& content) {
    return content ? QString() : content.error().text();
}
