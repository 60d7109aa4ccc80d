#pragma once

#include "reports/report_html.h"

#include "common/run_state.h"
#include "test_db.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

// A project in a temporary program folder with saved draws written straight into 抽签总表.
struct ReportFixture {
    TestDb t;
    int project = 0;
    common::RunState state;

    ReportFixture() {
        project = t.addProject();
        t.setCurrentProject(project);
        state.MyPath = t.folder() + QStringLiteral("/");
        state.MyDb = t.path();
        state.db = t.db.get();
        state.DQXM = project;
        state.project.examName = QStringLiteral("测试考试");
        state.project.siteName = QStringLiteral("测试考点");
        state.DWMC = QStringLiteral("测试单位");
        state.project.rowsPerPage = 25;
    }

    void addDrawRoom(const QString& subject, const QString& time, const QString& room, const QString& a,
                     const QVariant& b = QStringLiteral("乙某")) {
        t.db->exec(QStringLiteral(
                       "insert into 抽签总表 (项目编号, 分类, 分组号, 监考员甲, 监考员乙, 甲性别, 乙性别, "
                       "甲单位, 乙单位, 科目, 时间) values (?, '监考员', ?, ?, ?, '男', '女', '一中', "
                       "'二中', ?, ?)"),
                   {project, room, a, b, subject, time});
    }
    void addDrawDuty(const QString& subject, const QString& time, const QString& kind, const QString& room,
                     const QString& name, const QString& scope) {
        t.db->exec(QStringLiteral(
                       "insert into 抽签总表 (项目编号, 分组号, 监考员甲, 甲性别, 甲单位, 责任范围, 分类, "
                       "科目, 时间) values (?, ?, ?, '男', '三中', ?, ?, ?, ?)"),
                   {project, room, name, scope, kind, subject, time});
    }
    void addDrawParameters(const QString& subject, const QString& time, const QString& code) {
        t.db->exec(QStringLiteral(
                       "insert into 抽签总表 (项目编号, 分类, 分组号, 科目, 时间) values (?, '抽签参数', ?, "
                       "?, ?)"),
                   {project, code, subject, time});
    }
    // `count` rooms "001", "002", ... of one saved draw.
    void addDrawRooms(const QString& subject, const QString& time, int count) {
        db::Transaction tx(*t.db);
        for (int i = 1; i <= count; ++i)
            addDrawRoom(subject, time, QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')),
                        QStringLiteral("甲%1").arg(i));
        tx.commit();
    }
    void addRosterRooms(int count) {
        db::Transaction tx(*t.db);
        for (int i = 1; i <= count; ++i)
            t.addRoom(project, QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')),
                      QStringLiteral("甲%1").arg(i), QStringLiteral("乙%1").arg(i));
        tx.commit();
    }

    QString reportPath(const QString& tail) const {
        return state.MyPath + QStringLiteral("Report/") + QString::number(project) + tail;
    }
};

// The file decoded from GB18030, CR LF kept.
inline QString readReport(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<unreadable %1>").arg(path);
    QStringDecoder decoder("GB18030");
    return decoder.decode(f.readAll());
}

// Markup the expected texts are written with, as the printed pages quote it.
namespace expect {
inline const QString cell = QStringLiteral(
    "<td style='BORDER-right: rgb(100,100,100) 1px groove; BORDER-bottom: rgb(100,100,100) 1px groove'>");
inline const QString styleCell = QStringLiteral(
    " style='BORDER-right: rgb(100,100,100) 1px groove; BORDER-bottom: rgb(100,100,100) 1px groove'>");
inline const QString table = QStringLiteral(
    "<table width=100%  border=0 cellspacing=0 cellpadding=3 style='border:1px #666666 solid;'>");
inline const QString pageBreak = QStringLiteral(
    "<div style='height: 1px; font-size: 1px; vertical-align: middle; page-break-before: always; "
    "background-color: rgb(192, 192, 192);'></div>");
inline const QStringList top = {
    QStringLiteral("<meta http-equiv='Content-Type' content='text/html; charset=gb2312'>"),
    QStringLiteral("<style type='text/css'><!--"),
    QStringLiteral("body,td,th {font-size: 13px;}"),
    QStringLiteral(".bt {font-family: '黑体';font-size: 20px;}"),
    QStringLiteral(".xx {font-family: '黑体';font-size: 16px;}"),
    QStringLiteral(".pageEnd {page-break-after:always}"),
    QStringLiteral("--></style>"),
};
inline QString td(const QString& v) {
    return cell + v + QStringLiteral("</td>");
}
inline QString crlf(const QStringList& lines) {
    QString s;
    for (const QString& l : lines)
        s += l + QStringLiteral("\r\n");
    return s;
}
} // namespace expect

// What a report result says: its failure's text (empty on success) and its path (empty on failure).
inline QString failureOf(const reports::ReportResult& r) {
    return r ? QString() : r.error().text();
}
inline QString pathOf(const reports::ReportResult& r) {
    return r ? *r : QString();
}
