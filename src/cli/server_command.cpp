#include "cli/server_command.h"

#include "cli/copy_check.h"
#include "db/copy_rows.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/schema.h"
#include "db/server.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace cli {

namespace {

const QString kUndone =
    QStringLiteral("复制未完成，已全部撤销：服务器上的数据库仍是空的，Exam.mdb 未作任何改动。");

const QCommandLineOption kPrograms(QStringLiteral("programs"),
                                   QStringLiteral("the account the programs use (the database's owner gives "
                                                  "it its rights)"),
                                   QStringLiteral("ACCOUNT"));

// The account the programs log in as: --programs, or, without it, the one that sets up.
// nullopt for a name that is no plain account name.
std::optional<QString> programsAccount(const QCommandLineParser& p) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QString name = p.value(kPrograms);
    return name.isEmpty() || plain.match(name).hasMatch() ? std::optional<QString>(name) : std::nullopt;
}

// The connection string with `account` as its user: what the folder's programs log in with.
QString connectionAs(const QString& connection, const QString& account) {
    if (account.isEmpty())
        return connection;
    static const QRegularExpression user(QStringLiteral(R"((^|\s)user\s*=\s*('(?:[^'\\]|\\.)*'|\S+))"));
    QString out = connection;
    if (out.contains(user))
        return out.replace(user, QStringLiteral("\\1user=") + account);
    return out + QStringLiteral(" user=") + account;
}

// The folder that holds Exam.mdb, and gets Exam.server: FOLDER/Db, or where the programs look.
QString dataFolderArgument(const QCommandLineParser& p, int index, const Context& c) {
    return QFileInfo(databaseArgument(p, index, c)).absolutePath();
}

// Refuses what can be seen before connecting: a connection string that cannot be used, a
// folder that already names a server, a folder where Exam.server cannot be written.
std::expected<void, Stop> refuseTarget(const QString& connection, const QString& folder) {
    if (const QString problem = db::server::connectionProblem(connection); !problem.isEmpty())
        return stop(kRefused, problem + QStringLiteral("未作任何改动。"));
    const QString serverFile = QDir(folder).filePath(QLatin1String(db::server::kFileName));
    if (QFileInfo::exists(serverFile))
        return stop(kRefused,
                    QStringLiteral("%1 已存在：这个文件夹的程序已在使用数据库服务器，未作任何改动。\n"
                                   "要改用另一个服务器，请先删除该文件。")
                        .arg(QDir::toNativeSeparators(serverFile)));
    // The folder is made once the database is; whatever part of it stands must take the file.
    QFileInfo standing(folder);
    while (!standing.exists() && !standing.isRoot())
        standing = QFileInfo(standing.absolutePath());
    if (!standing.isDir() || !standing.isWritable())
        return stop(kCouldNotRun, QStringLiteral("无法在 %1 中写入 Exam.server，未作任何改动。")
                                      .arg(QDir::toNativeSeparators(folder)));
    return {};
}

// Why the server's database cannot take a new exam database; empty when it is empty.
QString notEmpty(const db::Database& server) {
    QStringList tables = server.tables();
    if (tables.isEmpty())
        return {};
    const QStringList& ours = db::requiredTables();
    if (std::all_of(ours.cbegin(), ours.cend(), [&tables](const QString& t) { return tables.contains(t); }))
        return QStringLiteral("数据库服务器 %1 上的数据库已经是本系统的数据库，未作任何改动。\n"
                              "要让本机的程序使用它，请把已在使用它的电脑上的 Db/Exam.server 复制过来。")
            .arg(server.server());
    tables.sort();
    const QString shown = tables.mid(0, 5).join(QStringLiteral("、")) +
                          (tables.size() > 5 ? QStringLiteral(" 等 %1 张").arg(tables.size()) : QString());
    return QStringLiteral(
               "数据库服务器 %1 上的数据库不是空的（已有数据表 %2），不是本系统的数据库，未作任何改动。\n"
               "请在服务器上新建一个空的数据库。")
        .arg(server.server(), shown);
}

// Writes Exam.server once the server's database is complete; why not when it cannot.
std::expected<void, Stop> switchFolder(const QString& folder, const QString& connection) {
    const QString serverFile = QDir(folder).filePath(QLatin1String(db::server::kFileName));
    if (QDir().mkpath(folder) && db::server::writeConnection(serverFile, connection))
        return {};
    return stop(kCouldNotRun,
                QStringLiteral("服务器上的数据库已建好，但无法写入 %1。请在这个文件中写入下面一行：\n%2")
                    .arg(QDir::toNativeSeparators(serverFile), connection));
}

QString switchedText(const QString& folder) {
    return QStringLiteral("已写入 %1：这个文件夹的程序从此使用数据库服务器。")
        .arg(QDir::toNativeSeparators(QDir(folder).filePath(QLatin1String(db::server::kFileName))));
}

// The account the programs log in as; an account name that cannot stand in a connection string
// and a grant as it is refused.
std::expected<QString, Stop> accountOrRefuse(const QCommandLineParser& p) {
    if (const std::optional<QString> account = programsAccount(p))
        return *account;
    return stop(kRefused, QStringLiteral("账户名“%1”不能使用：只能由字母、数字和下划线组成，且不以数字开头。"
                                         "未作任何改动。")
                              .arg(p.value(kPrograms)));
}

// What the folder's programs may do on the server, said once it is set up.
QString rightsText(const QString& account) {
    return account.isEmpty()
               ? QStringLiteral("抽签记录链已设为不可修改、不可删除；本账户是它的所有者，仍能恢复这些权限"
                                "（examdb verify 会指出）。")
               : QStringLiteral("程序使用账户 %1：可读写各数据表，对抽签记录链只能读取和追加。").arg(account);
}

Outcome runServerInit(const QCommandLineParser& p, const Context& c) {
    const QString connection = p.positionalArguments().at(0);
    const QString folder = dataFolderArgument(p, 1, c);
    if (const std::expected<void, Stop> refused = refuseTarget(connection, folder); !refused)
        return std::unexpected(refused.error());
    const std::expected<QString, Stop> account = accountOrRefuse(p);
    if (!account)
        return std::unexpected(account.error());
    db::Database server(db::Database::Server{connection}, db::Database::Mode::Create);
    // Looked at under the writers' lock: another init or copy may have just finished.
    db::Transaction tx(server);
    if (const QString why = notEmpty(server); !why.isEmpty())
        return stop(kRefused, why);
    const int project = db::initialiseDatabase(server, p.isSet(QStringLiteral("demo")), c.now);
    db::setLedgerRights(server, *account);
    tx.commit();
    if (const std::expected<void, Stop> written = switchFolder(folder, connectionAs(connection, *account));
        !written)
        return std::unexpected(written.error());
    c.io.out << QStringLiteral("已在数据库服务器 %1 上创建考务数据库%2。登录用户名 admin，密码 admin。")
                    .arg(server.server(),
                         project ? QStringLiteral("，含演示项目 %1（30个考场）").arg(project) : QString())
             << '\n'
             << rightsText(*account) << '\n'
             << switchedText(folder) << '\n';
    if (QFileInfo::exists(QDir(folder).filePath(QLatin1String(db::kDatabaseFileName))))
        c.io.out << QStringLiteral(
                        "这里的 Exam.mdb 从此不再使用，未作改动。要改用其中的数据：删除 Exam.server，"
                        "在服务器上新建一个空数据库，再用 examdb server copy。")
                 << '\n';
    return kDone;
}

Outcome runServerCopy(const QCommandLineParser& p, const Context& c) {
    const QString connection = p.positionalArguments().at(0);
    const QString folder = dataFolderArgument(p, 1, c);
    const QString path = QDir(folder).filePath(QLatin1String(db::kDatabaseFileName));
    if (const std::expected<void, Stop> refused = refuseTarget(connection, folder); !refused)
        return std::unexpected(refused.error());
    const std::expected<QString, Stop> account = accountOrRefuse(p);
    if (!account)
        return std::unexpected(account.error());
    if (const db::FileKind kind = db::probeFile(path); kind != db::FileKind::Sqlite)
        return stop(kCouldNotRun, db::refusalText(kind) + QLatin1Char(' ') + QDir::toNativeSeparators(path));
    // Once the copy began, a failure says that all of it was undone; a value the server does not
    // take is the file's data refused rather than a command that could not run.
    bool copying = false;
    const auto copy = [&]() -> Outcome {
        db::Database file(path, db::Database::Mode::ReadOnly);
        if (const QStringList damage = file.damage(); !damage.isEmpty())
            return stop(kCouldNotRun,
                        QStringLiteral("数据库文件已损坏，无法复制：") + db::damageDetail(damage));
        db::Database server(db::Database::Server{connection}, db::Database::Mode::Create);
        db::Transaction tx(server);
        if (const QString why = notEmpty(server); !why.isEmpty())
            return stop(kRefused, why);
        copying = true;
        file.beginSnapshot();
        db::createSchema(server);
        if (const QStringList left = db::notCopied(file, server); !left.isEmpty())
            return stop(
                kRefused,
                QStringLiteral("Exam.mdb 中有本系统以外的数据表或字段（%1），服务器上的数据库没有它们，"
                               "复制会丢掉其中的数据。")
                    .arg(left.join(QStringLiteral("、"))),
                kUndone);
        const QVector<db::CopiedTable> copied = db::copyRows(file, server);
        const CopyCheck check = checkCopy(server, &file);
        if (!check.difference.isEmpty())
            return stop(kRefused, QStringLiteral("复制后核对不符：") + check.difference, kUndone);
        db::setLedgerRights(server, *account);
        tx.commit();
        file.rollback();
        if (const std::expected<void, Stop> written =
                switchFolder(folder, connectionAs(connection, *account));
            !written)
            return std::unexpected(written.error());
        QStringList tables;
        for (const db::CopiedTable& t : copied)
            tables << QStringLiteral("%1 %2").arg(t.table).arg(t.rows);
        c.io.out << QStringLiteral("已把 %1 复制到数据库服务器 %2：%3，核验结果与文件相同。")
                        .arg(QDir::toNativeSeparators(path), server.server(), copySummary(check))
                 << '\n'
                 << QStringLiteral("各表行数：") << tables.join(QStringLiteral("，")) << '\n'
                 << rightsText(*account) << '\n'
                 << switchedText(folder) << QStringLiteral("Exam.mdb 保持原样。") << '\n';
        return kDone;
    };
    return attempt(copy, [&copying](const db::DbError& e) -> Outcome {
        const ExitCode status = e.kind() == db::ErrorKind::BadValue ? kRefused : kCouldNotRun;
        return copying ? stop(status, kUndone, e.text()) : stop(status, e.text());
    });
}

const QString kConnection =
    QStringLiteral("CONNINFO 是不含密码的 libpq 连接字符串，例如\n"
                   "\"host=192.168.1.10 port=5432 dbname=exam user=centre\"；密码取自 libpq 的密码文件\n"
                   "（~/.pgpass；Windows 上是 %APPDATA%\\postgresql\\pgpass.conf）或 PGPASSWORD。\n");

const QString kRights =
    QStringLiteral("抽签记录链的行谁都不能修改或删除，设置数据库的账户也不能。\n"
                   "--programs ACCOUNT 指定程序使用的账户：它可以读写每个数据表，抽签记录链只能读取和追加；\n"
                   "Exam.server 中写的是这个账户，而不是设置数据库的账户。\n");

} // namespace

Command serverInitCommand() {
    return {
        QStringLiteral("server init"),
        QStringLiteral("CONNINFO [--demo] [--programs ACCOUNT] [FOLDER]"),
        QStringLiteral(
            "在 PostgreSQL 服务器上的一个空数据库中用一个事务创建考务数据库，再写入 FOLDER/Db/Exam.server\n"
            "（不给 FOLDER 时：写在程序查找 Exam.mdb 的文件夹中），此后那里的程序都使用该服务器。\n") +
            kConnection + kRights + QStringLiteral("--demo 加入演示项目。"),
        {QCommandLineOption(QStringLiteral("demo")), kPrograms},
        1,
        2,
        runServerInit};
}

Command serverCopyCommand() {
    return {
        QStringLiteral("server copy"),
        QStringLiteral("CONNINFO [--programs ACCOUNT] [FOLDER]"),
        QStringLiteral(
            "把 FOLDER/Db/Exam.mdb（不给 FOLDER 时：程序使用的文件）用一个事务复制到 PostgreSQL 服务器上\n"
            "的一个空数据库，核对每个数据表的行数和每个已保存批次的核验结果都相同后，才在文件旁写入\n"
            "Exam.server。Exam.mdb 只读取，不改动。服务器不能接受的值（数字字段中的文字、不是日期的日期）\n"
            "会撤销全部复制，并指出其数据表、字段和行。\n") +
            kConnection + kRights.chopped(1),
        {kPrograms},
        1,
        2,
        runServerCopy};
}

} // namespace cli
