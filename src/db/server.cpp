#include "db/server.h"

#include "db/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <libpq-fe.h>

#include <optional>

namespace db::server {

namespace {

// libpq's "key=value key='value with blanks'" form, with \' and \\ inside quotes; nullopt
// when it cannot be read.
std::optional<QHash<QString, QString>> parse(const QString& connection) {
    QHash<QString, QString> out;
    qsizetype i = 0;
    const qsizetype n = connection.size();
    const auto skipBlanks = [&] {
        while (i < n && connection.at(i).isSpace())
            ++i;
    };
    for (skipBlanks(); i < n; skipBlanks()) {
        const qsizetype keyStart = i;
        while (i < n && connection.at(i) != u'=' && !connection.at(i).isSpace())
            ++i;
        const QString key = connection.mid(keyStart, i - keyStart);
        skipBlanks();
        if (key.isEmpty() || i >= n || connection.at(i) != u'=')
            return std::nullopt;
        ++i;
        skipBlanks();
        QString value;
        if (i < n && connection.at(i) == u'\'') {
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                const QChar c = connection.at(i);
                if (c == u'\'') {
                    ++i;
                    break;
                }
                if (c == u'\\' && i + 1 < n)
                    ++i;
                value += connection.at(i);
            }
        } else {
            while (i < n && !connection.at(i).isSpace())
                value += connection.at(i++);
        }
        out.insert(key, value);
    }
    return out;
}

// An insert into one of our tables gives back its key, as the file's last insert id does.
QString translateNew(const QString& sql) {
    static const QRegularExpression insert(QStringLiteral(R"(^\s*insert\s+into\s+([^\s(]+))"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = insert.match(sql);
    if (!m.hasMatch() || sql.contains(QLatin1String(" returning "), Qt::CaseInsensitive))
        return sql;
    QString name = m.captured(1);
    if (name.startsWith(u'"')) // as quotedName writes it
        name = name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    const Table* table = schemaTable(name);
    return table && !table->key().isEmpty() ? sql + QStringLiteral(" returning ") + table->key() : sql;
}

bool containsAny(const QString& text, std::initializer_list<const char*> prefixes) {
    for (const char* p : prefixes) {
        if (text.contains(QLatin1String(p), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

bool isServerPath(const QString& path) {
    return QFileInfo(path).fileName() == QLatin1String(kFileName);
}

QString connectionProblem(const QString& connection) {
    if (connection.trimmed().isEmpty())
        return QStringLiteral("连接设置为空。");
    if (connection.contains(QLatin1String("://")))
        return QStringLiteral("连接设置请写成“host=… port=… dbname=… user=…”的形式。");
    if (connection.contains(u';'))
        return QStringLiteral("连接设置中不能含分号（;）。");
    const auto keys = parse(connection);
    if (!keys)
        return QStringLiteral("连接设置无法识别，请写成“host=… port=… dbname=… user=…”的形式。");
    // What libpq itself knows, and which of its settings hold a secret (shown as "*").
    QHash<QString, bool> known;
    if (PQconninfoOption* options = PQconndefaults()) {
        for (const PQconninfoOption* o = options; o->keyword; ++o)
            known.insert(QString::fromLatin1(o->keyword),
                         o->dispchar && QByteArray(o->dispchar).contains('*'));
        PQconninfoFree(options);
    }
    // A message names a setting, never its value: the value may be a secret.
    for (auto it = keys->cbegin(); it != keys->cend(); ++it) {
        const QString key = it.key();
        if (known.value(key.toLower()) || key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0)
            return QStringLiteral(
                       "连接设置中不能写密码（%1）；密码请保存在本机 PostgreSQL 的密码文件（pgpass）中。")
                .arg(key);
        if (!known.contains(key))
            return QStringLiteral("连接设置中的“%1”不是有效的设置项，请检查 Exam.server。").arg(key);
        // Session settings of its own would undo the bounds the programs set.
        if (key == QLatin1String("options"))
            return QStringLiteral(
                "连接设置中不能用 options；服务器的会话设置请由管理员在服务器上为数据库或账户设置。");
        // A database name that is itself a connection string would bring settings past these checks.
        if (key == QLatin1String("dbname") &&
            (it.value().contains(u'=') || it.value().contains(QLatin1String("://"))))
            return QStringLiteral("连接设置中的 dbname 只能是数据库的名称。");
    }
    return {};
}

QString readConnection(const QString& serverFile) {
    QFile f(serverFile);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DbError(
            ErrorKind::CantOpen,
            QStringLiteral("无法读取数据库服务器的连接设置（%1）！").arg(QFileInfo(serverFile).fileName()),
            f.errorString());
    QTextStream in(&f);
    QString connection;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#')) {
            connection = line;
            break;
        }
    }
    if (const QString problem = connectionProblem(connection); !problem.isEmpty())
        throw DbError(
            ErrorKind::Refused,
            QStringLiteral("%1 中的连接设置不能使用：").arg(QFileInfo(serverFile).fileName()) + problem, {});
    return connection;
}

bool writeConnection(const QString& serverFile, const QString& connection) {
    QSaveFile f(serverFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    f.write("# The exam database on a PostgreSQL server (libpq connection string; the password\n"
            "# comes from the password file, pgpass, or PGPASSWORD). Delete this file to use Exam.mdb.\n");
    f.write(connection.toUtf8() + '\n');
    return f.commit();
}

QString describe(const QString& connection) {
    const QHash<QString, QString> keys = parse(connection).value_or(QHash<QString, QString>{});
    QString host = keys.value(QStringLiteral("host"), keys.value(QStringLiteral("hostaddr")));
    if (host.isEmpty())
        host = qEnvironmentVariable("PGHOST", QStringLiteral("localhost"));
    if (const QString port = keys.value(QStringLiteral("port")); !port.isEmpty())
        host += QLatin1Char(':') + port;
    QString name = keys.value(QStringLiteral("dbname"));
    if (name.isEmpty())
        name = qEnvironmentVariable("PGDATABASE",
                                    keys.value(QStringLiteral("user"), qEnvironmentVariable("PGUSER")));
    return QStringLiteral("%1（数据库 %2）").arg(host, name);
}

QString readOnlyAccountText(const QString& account, const QString& server) {
    return QStringLiteral("服务器账户 %1 只能读取数据库服务器 %2 上的考务数据库，不能保存。\n"
                          "请让服务器管理员授予该账户对其中各数据表的 insert、update 和 delete 权限"
                          "（抽签记录链只需 insert）。")
        .arg(account, server);
}

QString rightlessAccountText(const QString& account, const QString& server) {
    return QStringLiteral(
               "服务器账户 %1 没有读取数据库服务器 %2 上考务数据库的权限，程序无法使用（未作任何改动）！\n"
               "请让服务器管理员授予该账户对其中各数据表的 select、insert、update 和 delete 权限。")
        .arg(account, server);
}

QString translate(const QString& sql) {
    static QMutex mutex;
    static QHash<QString, QString> done;
    const QMutexLocker lock(&mutex);
    auto it = done.constFind(sql);
    if (it == done.cend())
        it = done.insert(sql, translateNew(sql));
    return *it;
}

DbError error(const QString& state, const QString& full, bool connecting, const QString& server) {
    // libpq's connection failures come as indented lines: one line reads better in a message.
    const QString text = connecting ? full.simplified() : full;
    const QString where = QStringLiteral("数据库服务器 ") + server;
    const auto is = [&state](const char* prefix) { return state.startsWith(QLatin1String(prefix)); };
    if (state == QLatin1String("28P01") || state == QLatin1String("28000") ||
        containsAny(text,
                    {"password authentication failed", "no password supplied", "authentication failed"}))
        return DbError(ErrorKind::Login,
                       where + QStringLiteral(" 拒绝登录：用户名或密码不正确！\n"
                                              "密码请保存在本机 PostgreSQL 的密码文件（pgpass）中。"),
                       text);
    if (state == QLatin1String("3D000") || (connecting && containsAny(text, {"does not exist"})))
        return DbError(ErrorKind::Unreachable,
                       where + QStringLiteral(" 上没有这个数据库！\n请检查 Exam.server 中的 dbname。"), text);
    if (connecting || is("08"))
        return DbError(
            ErrorKind::Unreachable,
            QStringLiteral("无法连接") + where +
                QStringLiteral("！\n请检查网络连接、服务器是否已启动以及 Exam.server 中的连接设置。"),
            text);
    if (is("57P"))
        return DbError(
            ErrorKind::Io,
            QStringLiteral("与") + where +
                QStringLiteral(" 的连接已中断，操作未完成！\n请检查网络后重试，下一步操作会重新连接。"),
            text);
    if (state == QLatin1String("57014"))
        return DbError(
            ErrorKind::NoAnswer,
            where + QStringLiteral(" 无响应（操作超过服务器允许的时间），操作未完成！\n请稍后重试。"), text);
    if (state == QLatin1String("42501") || state == QLatin1String("25006"))
        return DbError(ErrorKind::ReadOnly,
                       where + QStringLiteral(" 上的账户没有写入权限，无法完成数据写入！\n"
                                              "请联系管理员授予写入权限后重新加载程序。"),
                       text);
    if (state == QLatin1String("55P03") || state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return DbError(ErrorKind::Busy, operatorWording(ErrorKind::Busy), text);
    if (is("53"))
        return DbError(ErrorKind::DiskFull,
                       where + QStringLiteral(" 的磁盘空间或资源已满，数据无法写入！\n请联系服务器管理员。"),
                       text);
    if (state == QLatin1String("42P01") || state == QLatin1String("42703"))
        return DbError(ErrorKind::Schema, operatorWording(ErrorKind::Schema), text);
    if (is("XX"))
        return DbError(ErrorKind::Corrupt,
                       where + QStringLiteral(" 报告数据损坏，无法读取！\n请联系服务器管理员。"), text);
    if (is("22"))
        return DbError(ErrorKind::BadValue,
                       where + QStringLiteral(" 不接受要写入的值（如日期格式不对、数值超出范围）！"), text);
    return DbError(ErrorKind::Other, {}, text);
}

QString typeName(ColumnType type) {
    switch (type) {
    case ColumnType::Key:
        return QStringLiteral("integer generated by default as identity primary key");
    case ColumnType::Integer:
        return QStringLiteral("integer");
    case ColumnType::Number:
        return QStringLiteral("double precision");
    case ColumnType::DateTime:
        return QStringLiteral("timestamp(0)");
    case ColumnType::Text:
        break;
    }
    return QStringLiteral("text collate \"C\"");
}

QString tablesSql() {
    return QStringLiteral("select table_name from information_schema.tables "
                          "where table_schema=current_schema() and table_type='BASE TABLE'");
}

QString columnsSql() {
    return QStringLiteral("select column_name from information_schema.columns "
                          "where table_schema=current_schema() and table_name=? order by ordinal_position");
}

} // namespace db::server
