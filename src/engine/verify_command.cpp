#include "engine/verify_command.h"

#include "common/data_folder.h"
#include "db/database.h"
#include "db/db_file.h"
#include "engine/verify.h"

#include <optional>

namespace engine {

namespace {

struct VerifyOptions {
    QString folder; // empty: the programs' own data folder
    int project = 0;
    int batch = 0;
};

std::optional<int> positiveNumber(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v > 0 ? std::optional<int>(v) : std::nullopt;
}

std::optional<VerifyOptions> parseOptions(const QStringList& args) {
    VerifyOptions o;
    bool folderGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--project") || a == QLatin1String("--batch")) {
            const std::optional<int> v = positiveNumber(args.value(++i));
            if (!v)
                return std::nullopt;
            (a == QLatin1String("--project") ? o.project : o.batch) = *v;
        } else if (a.startsWith(QLatin1Char('-')) || folderGiven) {
            return std::nullopt;
        } else {
            o.folder = a;
            folderGiven = true;
        }
    }
    return o;
}

} // namespace

int runVerifyCommand(const QStringList& args, const QString& programFolder, QTextStream& out,
                     QTextStream& err) {
    const std::optional<VerifyOptions> o = parseOptions(args);
    if (!o) {
        err << "usage: " << kVerifyUsage;
        return 2;
    }
    const QString path =
        o->folder.isEmpty() ? common::databaseFile(programFolder) : db::databasePath(o->folder);
    if (const db::FileKind kind = db::probeFile(path); kind != db::FileKind::Sqlite) {
        err << db::refusalText(kind) << '\n';
        return 2;
    }
    try {
        const db::Database db(path, db::Database::Mode::ReadOnly);
        // A damaged page that none of the checks reads would otherwise pass unnoticed.
        const db::Rows damage = db.query(QStringLiteral("pragma quick_check"));
        if (damage.size() != 1 || damage.front().value(0).toString() != QLatin1String("ok")) {
            err << QStringLiteral("数据库文件已损坏，无法核验：")
                << (damage.isEmpty() ? QString() : damage.front().value(0).toString()) << '\n';
            return 2;
        }
        const QVector<BatchVerdict> verdicts = verifyDraws(db, o->project, o->batch);
        if (verdicts.isEmpty()) {
            err << QStringLiteral("没有找到已保存的抽签批次。") << '\n';
            return o->project || o->batch ? 1 : 0;
        }
        int counts[5] = {0, 0, 0, 0, 0};
        bool failed = false;
        for (const BatchVerdict& v : verdicts) {
            out << v.line() << '\n';
            ++counts[static_cast<int>(v.status)];
            failed = failed || v.fails();
        }
        using S = BatchVerdict::Status;
        const auto count = [&counts](S s) { return counts[static_cast<int>(s)]; };
        out << QStringLiteral("共 %1 批：一致 %2，不一致 %3，引擎版本未知 %4，无校验数据 %5；删除记录 %6 条")
                   .arg(verdicts.size() - count(S::Deleted))
                   .arg(count(S::Consistent))
                   .arg(count(S::Inconsistent))
                   .arg(count(S::UnknownEngine))
                   .arg(count(S::NoCertificate))
                   .arg(count(S::Deleted))
            << '\n';
        return failed ? 1 : 0;
    } catch (const db::DbError& e) {
        err << QStringLiteral("读取数据库时出错，无法核验：") << e.text() << '\n';
        return 2;
    }
}

} // namespace engine
