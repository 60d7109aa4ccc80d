#include "cli/import_command.h"

#include "common/data_folder.h"
#include "common/run_state.h"
#include "db/database.h"
#include "db/db_file.h"
#include "roster_import/import_template.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_import.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

namespace cli {

using namespace roster_import;

namespace {

const QCommandLineOption kOnly(QStringLiteral("only"), QStringLiteral("categories"), QStringLiteral("LIST"));
const QCommandLineOption kYes(QStringList{QStringLiteral("y"), QStringLiteral("yes")});

std::optional<Categories> parseCategories(const QString& list) {
    Categories c{false, false, false};
    for (const QString& name : list.split(QRegularExpression(QStringLiteral("[,，]")), Qt::SkipEmptyParts)) {
        const std::optional<Category> named = categoryNamed(name);
        if (!named)
            return std::nullopt;
        c.tick(*named);
    }
    if (c.list().isEmpty())
        return std::nullopt;
    return c;
}

struct CurrentProject {
    int project = 0;
    int width = 0;
};

std::optional<CurrentProject> currentProject(const db::Database& db) {
    const db::Rows settings =
        db.query(QStringLiteral("select 当前项目 from 系统设置 where 状态=? order by 编号 limit 1"),
                 {QStringLiteral("正常")});
    if (settings.isEmpty())
        return std::nullopt;
    CurrentProject p;
    p.project = db::integer(settings.front(), QStringLiteral("当前项目"));
    const db::Rows project =
        db.query(QStringLiteral("select 考场号位数 from 考点设置 where 编号=?"), {p.project});
    if (project.isEmpty())
        return std::nullopt;
    p.width = db::integer(project.front(), QStringLiteral("考场号位数"));
    return p;
}

// The console shows the question's line breaks as its own.
QString consoleText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool confirmed(QTextStream& in, QTextStream& out) {
    out << " [y/N] " << Qt::flush;
    const QString answer = in.readLine().trimmed().toLower();
    if (in.atEnd() && answer.isEmpty())
        out << '\n'; // no answer came: end the question's line
    return answer == QLatin1String("y") || answer == QLatin1String("yes") || answer == QStringLiteral("是");
}

// The refusal of a database the import may not write, refused before the question, not after it.
std::unexpected<Stop> readOnlyStop(QString reason, bool account) {
    common::RunState state;
    state.readOnlyReason = std::move(reason);
    state.readOnlyAccount = account;
    return stop(kCouldNotRun, common::readOnlyWriteText(state));
}

Outcome runImport(const QCommandLineParser& p, const Context& c) {
    QTextStream& out = c.io.out;
    Categories only;
    if (p.isSet(kOnly)) {
        const std::optional<Categories> named = parseCategories(p.value(kOnly));
        if (!named) {
            c.io.err << usageText(importCommand());
            return kCouldNotRun;
        }
        only = *named;
    }
    const QString file = p.positionalArguments().at(0);
    const QString dbPath = databaseArgument(p, 1, c);
    if (db::isReadOnlyLocation(dbPath) && db::probeFile(dbPath) == db::FileKind::Sqlite)
        return readOnlyStop(db::permissionText(dbPath), false);
    db::Database db(dbPath);
    // A server account that may only read.
    if (db.readOnly())
        return readOnlyStop(db.accountNote(), true);
    const std::optional<CurrentProject> project = currentProject(db);
    if (!project)
        return stop(kCouldNotRun, kNoCurrentProjectText);
    StagedRoster staged = prepareRosterImport(file, only, project->width);
    if (staged.status == StagedRoster::Status::Ready)
        staged.scopesCleared = clearedScopes(db, project->project, staged);
    for (const QString& line : staged.problemLines())
        out << line << '\n';
    if (staged.status == StagedRoster::Status::Refused)
        return stop(kRefused, staged.refusal);
    if (staged.status == StagedRoster::Status::Empty) {
        out << kNothingUsableText << '\n';
        return kRefused;
    }
    out << consoleText(confirmationText(file, staged.counts));
    if (p.isSet(kYes)) {
        out << '\n';
    } else if (!confirmed(c.io.in, out)) {
        out << kCancelledText << '\n';
        return kRefused;
    }
    const base::Result<QString> replaced = replaceRoster(db, project->project, staged);
    if (!replaced)
        return stop(kRefused, replaced.error());
    out << *replaced << '\n';
    return kDone;
}

Outcome runTemplate(const QCommandLineParser& p, const Context& c) {
    const QStringList given = p.positionalArguments();
    const base::Result<QString> written = writeImportTemplate(
        given.isEmpty() ? common::userFilesFolder(c.programFolder) : given.front(), c.now);
    if (!written)
        return stop(kCouldNotRun, written.error());
    c.io.out << templateCreatedText(*written, c.programFolder) << '\n' << *written << '\n';
    return kDone;
}

} // namespace

Command importCommand() {
    return {QStringLiteral("import"),
            QStringLiteral("FILE [--only 监考员,场外监考,验卷] [--yes] [FOLDER]"),
            QStringLiteral(
                "用 FILE（.xls、.xlsx 或 .csv）中的人员替换当前项目的人员名单，替换前列出发现的每个问题。\n"
                "--only 指定要替换的类别（默认三类全部；CSV 文件替换它自己的类别）；--yes 不再询问。\n"
                "FOLDER 是含 Db/Exam.mdb 的程序文件夹（默认：程序使用的数据文件夹）。"),
            {kOnly, kYes},
            1,
            2,
            runImport,
            kDatabaseErrorText};
}

Command templateCommand() {
    return {
        QStringLiteral("template"),
        QStringLiteral("[FOLDER]"),
        QStringLiteral("把空白的导入工作簿 空表_yyyyMMddHHmmss.xls 写入 FOLDER（默认：examdb 所在的文件夹；\n"
                       "安装的软件包或该文件夹不可写入时，写入用户“文档”中的 考务报表 文件夹）。"),
        {},
        0,
        1,
        runTemplate,
        {},
        false};
}

std::optional<QString> undecodableArgument(QByteArrayView raw) {
    const auto decodes = [](QByteArrayView bytes, QString& text) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(bytes);
        return !utf8.hasError();
    };
    QString shown;
    if (decodes(raw, shown))
        return std::nullopt;
    shown.clear();
    for (qsizetype at = 0; at < raw.size();) {
        // The longest stretch of up to four bytes that is UTF-8, or else one byte escaped.
        qsizetype n = std::min<qsizetype>(4, raw.size() - at);
        QString piece;
        while (n > 0 && !decodes(raw.sliced(at, n), piece))
            --n;
        if (n == 0) {
            shown += QStringLiteral("\\x") +
                     QString::number(quint8(raw[at]), 16).toUpper().rightJustified(2, u'0');
            n = 1;
        } else {
            shown += piece;
        }
        at += n;
    }
    return shown;
}

} // namespace cli
