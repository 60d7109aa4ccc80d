#include "manager/import_command.h"

#include "common/data_folder.h"
#include "common/run_state.h"
#include "db/database.h"
#include "db/db_file.h"
#include "manager/import_template.h"
#include "manager/import_texts.h"
#include "manager/roster_import.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

namespace manager {

namespace {

struct ImportOptions {
    QString file;
    QString folder;  // empty: the programs' own data folder
    Categories only; // all three unless --only names some
    bool yes = false;
};

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

std::optional<ImportOptions> parseImportOptions(const QStringList& args) {
    ImportOptions o;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--yes") || a == QLatin1String("-y")) {
            o.yes = true;
        } else if (a == QLatin1String("--only") || a.startsWith(QLatin1String("--only="))) {
            const QString value =
                a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1) : args.value(++i);
            const std::optional<Categories> named = parseCategories(value);
            if (!named)
                return std::nullopt;
            o.only = *named;
        } else if (a.startsWith(QLatin1Char('-'))) {
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.isEmpty() || positional.size() > 2)
        return std::nullopt;
    o.file = positional[0];
    o.folder = positional.value(1);
    return o;
}

struct ProjectSettings {
    int project = 0;
    int width = 0;
};

std::optional<ProjectSettings> currentProject(const db::Database& db) {
    const db::Rows settings =
        db.query(QStringLiteral("select 当前项目 from 系统设置 where 状态=? order by 编号 limit 1"),
                 {QStringLiteral("正常")});
    if (settings.isEmpty())
        return std::nullopt;
    ProjectSettings p;
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

} // namespace

int runImportCommand(const QStringList& args, const QString& programFolder, QTextStream& in, QTextStream& out,
                     QTextStream& err) {
    const std::optional<ImportOptions> o = parseImportOptions(args);
    if (!o) {
        err << "usage: " << kImportUsage;
        return 2;
    }
    const QString dbPath =
        o->folder.isEmpty() ? common::databaseFile(programFolder) : db::databasePath(o->folder);
    if (const db::FileKind kind = db::probeFile(dbPath); kind != db::FileKind::Sqlite) {
        err << db::refusalText(kind) << '\n';
        return 1;
    }
    if (db::isReadOnlyLocation(dbPath)) {
        err << common::readOnlyWriteText() << '\n';
        return 1;
    }
    try {
        db::Database db(dbPath);
        const std::optional<ProjectSettings> project = currentProject(db);
        if (!project) {
            err << kNoCurrentProjectText << '\n';
            return 1;
        }
        StagedRoster staged = prepareRosterImport(o->file, o->only, project->width);
        if (staged.status == StagedRoster::Status::Ready)
            staged.scopesCleared = clearedScopes(db, project->project, staged);
        for (const QString& line : staged.problemLines())
            out << line << '\n';
        if (staged.status == StagedRoster::Status::Refused) {
            err << staged.message << '\n' << staged.detail << '\n';
            return 1;
        }
        if (staged.status == StagedRoster::Status::Empty) {
            out << staged.message << '\n';
            return 1;
        }
        out << consoleText(confirmationText(o->file, staged.counts));
        if (o->yes) {
            out << '\n';
        } else if (!confirmed(in, out)) {
            out << kCancelledText << '\n';
            return 1;
        }
        const ImportResult r = replaceRoster(db, project->project, staged);
        (r.ok ? out : err) << r.message << '\n';
        if (!r.ok)
            err << r.detail << '\n';
        return r.ok ? 0 : 1;
    } catch (const db::DbError& e) {
        err << kDatabaseErrorText << e.text() << '\n';
        return 1;
    }
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

int runTemplateCommand(const QStringList& args, const QString& defaultFolder, const QDateTime& now,
                       QTextStream& out, QTextStream& err) {
    if (args.size() > 1 || (!args.isEmpty() && args.front().startsWith(QLatin1Char('-')))) {
        err << "usage: " << kTemplateUsage;
        return 2;
    }
    const TemplateResult r = writeImportTemplate(args.value(0, defaultFolder), now);
    if (!r.ok) {
        err << r.message << '\n';
        return 1;
    }
    out << r.message << '\n' << r.path << '\n';
    return 0;
}

} // namespace manager
