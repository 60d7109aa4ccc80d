#pragma once

#include "common/run_state.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/password_hash.h"
#include "db/schema.h"
#include "db/server.h"
#include "test_server.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// A program folder in a temporary directory with Db/Exam.mdb holding the schema and the
// settings row; rows are added by each test. With EXAM_TEST_SERVER set (the test runs named
// *_server), the folder's Db/Exam.server names a new database on the test cluster instead.
struct TestDb {
    QTemporaryDir dir;
    std::unique_ptr<TestServerDatabase> server;
    std::unique_ptr<db::Database> db;

    TestDb() {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        server = TestServerDatabase::forFolder(dir.path());
        db = std::make_unique<db::Database>(path(), db::Database::Mode::Create);
        db::createSchema(*db);
        // One derivation of the password for every database of the test: a tenth of a second each.
        static const QString admin = db::hashPassword(QStringLiteral("admin"));
        db::insertSystemSettings(*db, QStringLiteral("测试单位"), admin);
    }
    QString folder() const { return dir.path(); }
    // The next start of a program on the same database: what every open for writing does runs again.
    void reopen() {
        db.reset();
        db = std::make_unique<db::Database>(path());
    }

    // The run state a program's main window holds after start-up with `project` current
    // and a successful login.
    common::RunState runState(int project) const {
        common::RunState s;
        s.MyPath = folder() + QLatin1Char('/');
        s.MyDb = path();
        s.db = db.get();
        s.DQXM = project;
        s.LoginSucceeded = true;
        return s;
    }
    // Db/Exam.mdb, or Db/Exam.server on the server.
    QString path() const { return db::databasePath(folder()); }

    // A project row with the usual settings; returns its number.
    int addProject(const QString& exam = QStringLiteral("测试考试"),
                   const QString& site = QStringLiteral("测试考点")) {
        db->exec(
            QStringLiteral(
                "insert into 考点设置 (状态, 考试名称, 考点名称, 抽签模式, 最大性别组合, 允许重回原考室, "
                "允许甲乙再搭档, 场外与验卷抽签, 最大异校搭档, 允许抽签时修改参数, 考场号位数, 默认行1, "
                "文字色, 底色, 分屏显示) values ('正常', ?, ?, 0, 0, 1, 1, 0, 0, 1, 3, 25, '0,0,0', "
                "'255,255,0', 1)"),
            {exam, site});
        return static_cast<int>(db->lastInsertId());
    }
    void addStaff(int project, const QString& kind, const QString& room, const QString& duty,
                  const QString& name, const QVariant& sex = QStringLiteral("男"),
                  const QVariant& unit = QStringLiteral("一中"), const QVariant& scope = {}) {
        db->exec(
            QStringLiteral(
                "insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名, 性别, 来源单位, 联系电话, "
                "身份证号, 责任范围) values (?, ?, ?, ?, ?, ?, ?, '13900000000', ?, ?)"),
            {project, kind, room, duty.isEmpty() ? QVariant() : QVariant(duty), name, sex, unit,
             QString(QStringLiteral("ID-") + name), scope});
    }
    // Room `room` with its A and B invigilators.
    void addRoom(int project, const QString& room, const QString& a, const QString& b) {
        addStaff(project, QStringLiteral("监考员"), room, QStringLiteral("甲"), a);
        addStaff(project, QStringLiteral("监考员"), room, QStringLiteral("乙"), b);
    }
    void addSubject(int project, const QString& subject, const QString& start, int minutes) {
        db->exec(QStringLiteral("insert into 时间安排 (项目编号, 科目, 开考时间, 时长) values (?, ?, ?, ?)"),
                 {project, subject, start, minutes});
    }
    // From now on an insert into `table` for which `when` holds (a condition on new.<column>)
    // fails with `message`, as a full disk would make it; in the dialect of the file or server.
    void failInserts(const QString& table, const QString& message,
                     const QString& when = QStringLiteral("1=1")) {
        if (server) {
            db->exec(
                QStringLiteral("create or replace function 写入失败() returns trigger language plpgsql as "
                               "$$ begin raise exception '%1' using errcode = '53100'; end $$")
                    .arg(message));
            db->exec(QStringLiteral("create trigger 写入失败 before insert on %1 for each row when (%2) "
                                    "execute function 写入失败()")
                         .arg(table, when));
        } else {
            db->exec(QStringLiteral("create trigger 写入失败 before insert on %1 when %2 begin select "
                                    "raise(abort, '%3'); end")
                         .arg(table, when, message));
        }
    }
    void stopFailingInserts(const QString& table) {
        db->exec(server ? QStringLiteral("drop trigger 写入失败 on %1").arg(table)
                        : QStringLiteral("drop trigger 写入失败"));
    }
    void setCurrentProject(int project) {
        db->exec(QStringLiteral("update 系统设置 set 当前项目=?"), {project});
    }
};
