#include "cli/verify_command.h"

#include "audit/verify.h"
#include "db/database.h"
#include "db/db_file.h"

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

Outcome runVerify(const QCommandLineParser& p, const Context& c) {
    QTextStream& out = c.io.out;
    const std::optional<int> project = positiveNumber(p, kProject), batch = positiveNumber(p, kBatch);
    if (!project || !batch) {
        c.io.err << usageText(verifyCommand());
        return kCouldNotRun;
    }
    const QString path = databaseArgument(p, 0, c);
    if (const db::FileKind kind = db::probeDataFile(path); kind != db::FileKind::Sqlite)
        return stop(kCouldNotRun, db::refusalText(kind, path));
    db::Database db(path, db::Database::Mode::ReadOnly);
    // A damaged page that none of the checks reads would otherwise pass unnoticed.
    if (const QStringList damage = db.damage(); !damage.isEmpty())
        return stop(kCouldNotRun, QStringLiteral("数据库文件已损坏，无法核验：") + db::damageDetail(damage));
    const engine::Verification verification = engine::verifyFile(db, *project, *batch, p.value(kHead));
    const QVector<engine::BatchVerdict>& verdicts = verification.batches;
    if (verdicts.isEmpty()) {
        const QString none = QStringLiteral("没有找到已保存的抽签批次。");
        if (*project || *batch)
            return stop(kRefused, none);
        c.io.err << none << '\n';
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
}

} // namespace

Command verifyCommand() {
    return {
        QStringLiteral("verify"),
        QStringLiteral("[--project N] [--batch B] [--head CODE] [FOLDER]"),
        QStringLiteral(
            "按抽签凭证核验每个已保存的抽签批次（或项目 N、批次 B 的）：保存的输入、抽签的重演、\n"
            "抽签规则和已保存各行上的历史；每一行都必须属于一个有凭证的批次。已删除的批次连同其校验码列出。\n"
            "核对抽签记录链：哈希链不断，每个批次都保存自一次记录的停止，每次删除都有记录；按科目列出\n"
            "各次停止和保存的是哪一次。--head 查找打印的抽签结论上的“记录链”码。\n"
            "FOLDER 是含 Db/Exam.mdb 的程序文件夹（默认：程序使用的数据文件夹）；只读取，不改动。\n"
            "退出状态：0 全部一致；1 有不一致、有无凭证的行、引擎版本未知、记录链断开或不含所给的码，\n"
            "或 --project、--batch 所指的批次不存在；2 "
            "无法核验（参数有误；文件不存在、被拒绝、已损坏或无法读取）。"),
        {kProject, kBatch, kHead},
        0,
        1,
        runVerify,
        QStringLiteral("读取数据库时出错，无法核验：")};
}

} // namespace cli
