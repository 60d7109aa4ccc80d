#include "cli/verify_command.h"

#include "db/database.h"
#include "db/db_file.h"
#include "db/server.h"
#include "engine/verify.h"

#include <optional>

namespace cli {

namespace {

const QCommandLineOption kProject(QStringLiteral("project"), QStringLiteral("project number"),
                                  QStringLiteral("N"));
const QCommandLineOption kBatch(QStringLiteral("batch"), QStringLiteral("batch number"), QStringLiteral("B"));
const QCommandLineOption kHead(QStringLiteral("head"), QStringLiteral("the 记录链 code a conclusion printed"),
                               QStringLiteral("CODE"));

std::optional<int> positiveNumber(const QCommandLineParser& p, const QCommandLineOption& option) {
    if (!p.isSet(option))
        return 0;
    bool ok = false;
    const int v = p.value(option).toInt(&ok);
    return ok && v > 0 ? std::optional<int>(v) : std::nullopt;
}

int runVerify(const QCommandLineParser& p, const Context& c) {
    QTextStream& out = c.io.out;
    QTextStream& err = c.io.err;
    const std::optional<int> project = positiveNumber(p, kProject), batch = positiveNumber(p, kBatch);
    if (!project || !batch) {
        err << QStringLiteral("usage: ") << helpText(verifyCommand());
        return kCouldNotRun;
    }
    const QString path = databaseArgument(p, 0, c);
    if (const db::FileKind kind = db::server::isServerPath(path) ? db::FileKind::Sqlite : db::probeFile(path);
        kind != db::FileKind::Sqlite) {
        err << db::refusalText(kind) << '\n';
        return kCouldNotRun;
    }
    try {
        db::Database db(path, db::Database::Mode::ReadOnly);
        // A damaged page that none of the checks reads would otherwise pass unnoticed.
        if (const QStringList damage = db.damage(); !damage.isEmpty()) {
            err << QStringLiteral("数据库文件已损坏，无法核验：") << db::damageDetail(damage) << '\n';
            return kCouldNotRun;
        }
        const engine::Verification verification = engine::verifyFile(db, *project, *batch, p.value(kHead));
        const QVector<engine::BatchVerdict>& verdicts = verification.batches;
        if (verdicts.isEmpty()) {
            err << QStringLiteral("没有找到已保存的抽签批次。") << '\n';
            if (*project || *batch)
                return kRefused;
        }
        int counts[5] = {0, 0, 0, 0, 0};
        bool failed = verification.ledger.fails();
        for (const engine::BatchVerdict& v : verdicts) {
            out << v.line() << '\n';
            ++counts[static_cast<int>(v.status)];
            failed = failed || v.fails();
        }
        for (const QString& line : verification.ledger.lines())
            out << line << '\n';
        using S = engine::BatchVerdict::Status;
        const auto count = [&counts](S s) { return counts[static_cast<int>(s)]; };
        out << QStringLiteral("共 %1 批：一致 %2，不一致 %3，引擎版本未知 %4，无校验数据 %5；删除记录 %6 条")
                   .arg(verdicts.size() - count(S::Deleted))
                   .arg(count(S::Consistent))
                   .arg(count(S::Inconsistent))
                   .arg(count(S::UnknownEngine))
                   .arg(count(S::NoCertificate))
                   .arg(count(S::Deleted))
            << '\n';
        return failed ? kRefused : kDone;
    } catch (const db::DbError& e) {
        err << QStringLiteral("读取数据库时出错，无法核验：") << e.text() << '\n';
        return kCouldNotRun;
    }
}

} // namespace

Command verifyCommand() {
    return {
        QStringLiteral("verify"),
        QStringLiteral("[--project N] [--batch B] [--head CODE] [FOLDER]"),
        QStringLiteral(
            "Checks every saved draw batch (or those of project N, or batch B) against its certificate:\n"
            "the stored inputs, a replay of the draw, the draw rules and the history on the saved rows;\n"
            "every saved row must belong to a certified batch. Deleted batches are listed with their code.\n"
            "Checks the draw ledger: its hash chain unbroken, every batch saved from a recorded stop,\n"
            "every deletion recorded; lists per subject the stops and which one was saved. --head looks\n"
            "up the 记录链 code a printed conclusion shows.\n"
            "FOLDER holds Db/Exam.mdb (default: the data folder the programs use); the file is only read.\n"
            "Exit status: 0 all consistent; 1 an inconsistency, rows without a certificate, an unknown\n"
            "engine version, a broken ledger or a printed code it does not hold, or no batch where\n"
            "--project or --batch asks for one; 2 verify could not run (wrong arguments; the file\n"
            "missing, refused, damaged or unreadable)."),
        {kProject, kBatch, kHead},
        0,
        1,
        runVerify};
}

} // namespace cli
