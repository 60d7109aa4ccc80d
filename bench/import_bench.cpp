// Speed of the roster import: 1,000 people (500 room groups) read, staged and written in one
// transaction from each format; the replacement alone (what follows the operator's Yes); the
// template. Peak memory: run one benchmark at a time under /usr/bin/time -v.

#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "roster_import/import_preview_model.h"
#include "roster_import/import_template.h"
#include "roster_import/roster_import.h"
#include "workbook/xls_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <quazip.h>
#include <quazipfile.h>

namespace {

constexpr int kRooms = 500;

struct Person {
    QString group, name, gender, id, unit, phone;
};

// Room k: A and B with 18-digit ID numbers, units of a county, telephone numbers.
QVector<std::pair<Person, Person>> rooms() {
    QVector<std::pair<Person, Person>> out;
    for (int k = 1; k <= kRooms; ++k) {
        auto person = [k](int side) {
            return Person{
                QString::number(k),
                QStringLiteral("%1%2号").arg(side ? QStringLiteral("乙") : QStringLiteral("甲")).arg(k),
                (k + side) % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                QStringLiteral("1101011980%1%2")
                    .arg(k, 6, 10, QLatin1Char('0'))
                    .arg(side, 2, 10, QLatin1Char('0')),
                QStringLiteral("第%1中学").arg(k % 12 + 1),
                QStringLiteral("139%1").arg(k * 2 + side, 8, 10, QLatin1Char('0'))};
        };
        out.push_back({person(0), person(1)});
    }
    return out;
}

const QStringList kHeader{
    QStringLiteral("分组号"),    QStringLiteral("监考员甲"),  QStringLiteral("性别1"),
    QStringLiteral("身份证号1"), QStringLiteral("来源单位1"), QStringLiteral("联系电话1"),
    QStringLiteral("监考员乙"),  QStringLiteral("性别2"),     QStringLiteral("身份证号2"),
    QStringLiteral("来源单位2"), QStringLiteral("联系电话2")};

QStringList rowOf(const std::pair<Person, Person>& r) {
    return {r.first.group, r.first.name,    r.first.gender, r.first.id,    r.first.unit,  r.first.phone,
            r.second.name, r.second.gender, r.second.id,    r.second.unit, r.second.phone};
}

// Group numbers and telephones typed as numbers, the rest as text, as a site's file has them.
QByteArray xlsFile() {
    workbook::XlsWriter w;
    const int sheet = w.addSheet(QStringLiteral("监考员"));
    for (int c = 0; c < kHeader.size(); ++c)
        w.setText(sheet, 0, c, kHeader[c]);
    int r = 1;
    for (const auto& room : rooms()) {
        const QStringList cells = rowOf(room);
        for (int c = 0; c < cells.size(); ++c) {
            if (c == 0 || c == 5 || c == 10)
                w.setNumber(sheet, r, c, cells[c].toDouble());
            else
                w.setText(sheet, r, c, cells[c]);
        }
        ++r;
    }
    for (const QString& name : {QStringLiteral("场外监考"), QStringLiteral("验卷")}) {
        const int s = w.addSheet(name);
        const QStringList header{QStringLiteral("分组号"),   QStringLiteral("姓名"),
                                 QStringLiteral("性别"),     QStringLiteral("身份证号"),
                                 QStringLiteral("来源单位"), QStringLiteral("联系电话")};
        for (int c = 0; c < header.size(); ++c)
            w.setText(s, 0, c, header[c]);
    }
    return w.file();
}

QString column(int c) {
    return QString(QChar(u'A' + c));
}

// The layout Excel writes: shared strings, numbers as values.
QByteArray xlsxFile() {
    QStringList strings;
    QHash<QString, int> index;
    auto shared = [&](const QString& s) {
        auto it = index.constFind(s);
        if (it == index.constEnd()) {
            it = index.insert(s, int(strings.size()));
            strings << s;
        }
        return *it;
    };
    QString sheet = QStringLiteral(
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>");
    QVector<QStringList> table{kHeader};
    for (const auto& room : rooms())
        table << rowOf(room);
    for (int r = 0; r < table.size(); ++r) {
        sheet += QStringLiteral("<row r=\"%1\">").arg(r + 1);
        for (int c = 0; c < table[r].size(); ++c) {
            const bool number = r > 0 && (c == 0 || c == 5 || c == 10);
            sheet +=
                number
                    ? QStringLiteral("<c r=\"%1%2\"><v>%3</v></c>").arg(column(c)).arg(r + 1).arg(table[r][c])
                    : QStringLiteral("<c r=\"%1%2\" t=\"s\"><v>%3</v></c>")
                          .arg(column(c))
                          .arg(r + 1)
                          .arg(shared(table[r][c]));
        }
        sheet += QStringLiteral("</row>");
    }
    sheet += QStringLiteral("</sheetData></worksheet>");
    QString sst = QStringLiteral("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">");
    for (const QString& s : strings)
        sst += QStringLiteral("<si><t>") + s + QStringLiteral("</t></si>");
    sst += QStringLiteral("</sst>");
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const QVector<std::pair<QString, QByteArray>> entries{
        {QStringLiteral("_rels/.rels"), "<Relationships><Relationship Id=\"r1\" Type=\"" + rel +
                                            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns:r=\"" + rel +
             "\"><sheets><sheet name=\"监考员\" sheetId=\"1\" r:id=\"s1\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships><Relationship Id=\"s1\" Type=\"" + rel +
             "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"s3\" Type=\"" +
             rel + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {QStringLiteral("xl/sharedStrings.xml"), sst.toUtf8()},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheet.toUtf8()},
    };
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto& [name, data] : entries) {
        QuaZipFile f(&zip);
        f.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
        f.write(data);
    }
    zip.close();
    return bytes;
}

QByteArray csvFile() {
    QString text = kHeader.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const auto& room : rooms())
        text += rowOf(room).join(QLatin1Char(',')) + QLatin1Char('\n');
    return text.toUtf8();
}

// A program folder with the demo project, and the three files.
struct Setup {
    QTemporaryDir dir;
    QString xls, xlsx, csv;
    std::unique_ptr<db::Database> db;

    Setup() {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        db::createDatabase(db::databasePath(dir.path()), true, QDateTime::currentDateTime());
        db = std::make_unique<db::Database>(QDir(dir.path()).filePath(QStringLiteral("Db/Exam.mdb")));
        xls = write(QStringLiteral("名单.xls"), xlsFile());
        xlsx = write(QStringLiteral("名单.xlsx"), xlsxFile());
        csv = write(QStringLiteral("监考员.csv"), csvFile());
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(QDir(dir.path()).filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

const roster_import::Categories kInvigilators{true, false, false};

void wholeImport(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        const roster_import::StagedRoster staged = roster_import::prepareRosterImport(path, kInvigilators, 3);
        if (staged.people.size() != 2 * kRooms)
            state.SkipWithError("the file was not read");
        benchmark::DoNotOptimize(roster_import::replaceRoster(*setup().db, 1, staged).has_value());
    }
}

void BM_ImportXls(benchmark::State& state) {
    wholeImport(state, setup().xls);
}
void BM_ImportXlsx(benchmark::State& state) {
    wholeImport(state, setup().xlsx);
}
void BM_ImportCsv(benchmark::State& state) {
    wholeImport(state, setup().csv);
}

// From the operator's Yes to the end of the transaction.
void BM_ReplaceRoster(benchmark::State& state) {
    const roster_import::StagedRoster staged =
        roster_import::prepareRosterImport(setup().xls, kInvigilators, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(roster_import::replaceRoster(*setup().db, 1, staged).has_value());
}

// What the preview adds before the question: the counts, the table and its filter, every
// cell read once as a view scrolled through all of it would.
void BM_Preview(benchmark::State& state) {
    const roster_import::StagedRoster staged =
        roster_import::prepareRosterImport(setup().xls, kInvigilators, 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(roster_import::previewSummary(staged).people);
        roster_import::PreviewModel model(staged, roster_import::Category::Invigilator);
        benchmark::DoNotOptimize(model.title());
        for (int r = 0; r < model.rowCount(); ++r) {
            for (int c = 0; c < model.columnCount(); ++c)
                benchmark::DoNotOptimize(model.index(r, c).data());
        }
        model.setProblemsOnly(true);
    }
}

void BM_Template(benchmark::State& state) {
    const QDateTime now(QDate(2009, 3, 4), QTime(5, 6, 7));
    for (auto _ : state)
        benchmark::DoNotOptimize(roster_import::writeImportTemplate(setup().dir.path(), now).has_value());
}

} // namespace

BENCHMARK(BM_ImportXls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Template)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
