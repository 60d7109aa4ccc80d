#include "cli/import_command.h"
#include "roster_fixture.h"
#include "roster_import/import_template.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_file.h"
#include "roster_import/roster_import.h"
#include "workbook/compound_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <quazip.h>
#include <quazipfile.h>
#include <zlib.h>

#include <random>

using namespace roster_import;
using namespace workbook;
using namespace roster_fixture;

namespace {

const QString kData = QStringLiteral(TEST_DATA_DIR "/import/");
using Entries = QVector<std::pair<QString, QByteArray>>;

Entries unzip(const QByteArray& zip) {
    QByteArray copy = zip;
    QBuffer buffer(&copy);
    QuaZip z(&buffer);
    Entries out;
    if (!z.open(QuaZip::mdUnzip))
        qFatal("not a zip");
    for (bool more = z.goToFirstFile(); more; more = z.goToNextFile()) {
        QuaZipFile f(&z);
        f.open(QIODevice::ReadOnly);
        out.push_back({z.getCurrentFileName(), f.readAll()});
    }
    return out;
}

QByteArray zip(const Entries& entries) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip z(&buffer);
    z.open(QuaZip::mdCreate);
    for (const auto& [name, data] : entries) {
        QuaZipFile f(&z);
        f.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
        f.write(data);
    }
    z.close();
    return bytes;
}

// A sheet entry of 1 GB of zeros that takes about 1 MB: one deflated megabyte, flushed so that
// it stands alone, repeated 1024 times. The header states `declaredSize`.
QByteArray zipBomb(quint64 declaredSize) {
    z_stream s{};
    deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray zeros(1 << 20, '\0'), block(64 * 1024, '\0');
    s.next_in = reinterpret_cast<Bytef*>(zeros.data());
    s.avail_in = uInt(zeros.size());
    s.next_out = reinterpret_cast<Bytef*>(block.data());
    s.avail_out = uInt(block.size());
    deflate(&s, Z_FULL_FLUSH);
    block.truncate(block.size() - s.avail_out);
    deflateEnd(&s);
    QByteArray data = block.repeated(1024) + QByteArray("\x03\x00", 2); // an empty final block
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(zeros.constData()), uInt(zeros.size()));
    const uLong crcMb = crc;
    for (int i = 1; i < 1024; ++i)
        crc = crc32_combine(crc, crcMb, zeros.size());

    Entries entries = unzip(readFile(kData + u"roster.xlsx"_qs));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip z(&buffer);
    z.open(QuaZip::mdCreate);
    for (const auto& [name, content] : entries) {
        QuaZipNewInfo info(name);
        QuaZipFile f(&z);
        if (name == u"xl/worksheets/sheet1.xml"_qs) {
            info.uncompressedSize = declaredSize;
            f.open(QIODevice::WriteOnly, info, nullptr, quint32(crc), Z_DEFLATED, Z_BEST_COMPRESSION, true);
            f.write(data);
        } else {
            f.open(QIODevice::WriteOnly, info);
            f.write(content);
        }
    }
    z.close();
    return bytes;
}

// Our own workbook with a FILEPASS record after the first record: a password-protected file.
QByteArray passwordWorkbook() {
    workbook::XlsWriter w;
    w.addSheet(u"监考员"_qs);
    QByteArray stream = w.workbookStream();
    const int bofEnd = 4 + qFromLittleEndian<quint16>(stream.constData() + 2);
    stream.insert(bofEnd, QByteArray("\x2F\x00\x06\x00\x00\x00\x01\x00\x01\x00", 10));
    return workbook::writeCompoundFile(u"Workbook"_qs, stream);
}

QByteArray mutate(QByteArray b, std::mt19937& random) {
    if (b.size() < 8)
        return b + char(random());
    auto pick = [&](qsizetype n) { return qsizetype(random() % quint64(std::max<qsizetype>(n, 1))); };
    switch (random() % 4) {
    case 0:
        for (int i = 0, n = 1 + int(random() % 8); i < n; ++i)
            b[pick(b.size())] = char(random());
        break;
    case 1:
        b.truncate(pick(b.size()));
        break;
    case 2: {
        const quint32 values[] = {0xFFFFFFFF, 0x7FFFFFFF, 0x10000, 0xFFFE, 0, 1};
        const qsizetype at = pick(b.size() - 4);
        qToLittleEndian(values[random() % 6], b.data() + at);
        break;
    }
    default: {
        const qsizetype from = pick(b.size()), to = pick(b.size()), n = 1 + pick(64);
        b.replace(to, n, b.mid(from, n));
        break;
    }
    }
    return b;
}

// The staged people of the shared data set, every field and every problem text.
QStringList stagedLines(const StagedRoster& s) {
    QStringList lines{u"%1 %2 %3 %4"_qs.arg(int(s.status))
                          .arg(s.counts.groups)
                          .arg(s.counts.outside)
                          .arg(s.counts.checkers)};
    for (const StagedPerson& p : s.people) {
        QStringList problems;
        for (const Problem& q : p.problems)
            problems << q.text;
        lines << QStringList{categoryName(p.category),
                             p.group,
                             p.duty,
                             p.name,
                             p.gender,
                             p.unit,
                             p.phone,
                             p.id,
                             QString::number(p.sheetRow),
                             problems.join(u"；"_qs)}
                     .join(u'|');
    }
    return lines;
}

bool hasLibreOffice() {
    return !QStandardPaths::findExecutable(u"soffice"_qs).isEmpty();
}

// LibreOffice converts `file` into `filter` files in `outDir`; false when it fails.
bool convert(const QString& file, const QString& filter, const QString& outDir) {
    QProcess p;
    p.start(u"soffice"_qs, {u"-env:UserInstallation=file://"_qs + outDir + u"/profile"_qs, u"--headless"_qs,
                            u"--convert-to"_qs, filter, u"--outdir"_qs, outDir, file});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

} // namespace

class TestWorkbookFiles : public QObject {
    Q_OBJECT

    TestDb t;
    int project = 0;

    workbook::WorkbookContent dataSet(const QString& format) {
        if (format != u"csv"_qs)
            return readRosterFile(kData + u"roster."_qs + format, Categories{}.sheetNames()).content;
        workbook::WorkbookContent all = workbook::Workbook{};
        for (const QString& name :
             {u"roster_监考员.csv"_qs, u"roster_场外监考.csv"_qs, u"roster_验卷.csv"_qs})
            all->sheets += readRosterFile(kData + name, {}).content.value_or(workbook::Workbook{}).sheets;
        return all;
    }

private Q_SLOTS:
    void initTestCase() {
        project = t.addProject();
        t.setCurrentProject(project);
        t.addRoom(project, u"001"_qs, u"旧甲"_qs, u"旧乙"_qs);
    }

    // One data set, typed into LibreOffice Calc and saved as .xls and .xlsx, and written as CSV
    // files in UTF-8 and GB18030: the same people with the same problems from each.
    void sameRosterFromEveryFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << u"xls"_qs;
        QTest::newRow("xlsx") << u"xlsx"_qs;
        QTest::newRow("csv") << u"csv"_qs;
    }
    void sameRosterFromEveryFormat() {
        QFETCH(QString, format);
        const workbook::WorkbookContent content = dataSet(format);
        QVERIFY2(content, qPrintable(failureOf(content)));
        const StagedRoster staged = stageRoster(content, workbook::Format::Xls, Categories{}, 3);
        const QStringList expected =
            QString::fromUtf8(readFile(kData + u"roster_staged.txt"_qs)).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(stagedLines(staged), expected);
    }

    // Cells as a person typed them, from the typed cells of the data set's 监考员 sheet.
    void typedCells_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("formats");
        const QStringList all{u"xls"_qs, u"xlsx"_qs, u"csv"_qs};
        QTest::newRow("whole number") << 1 << 1 << u"7"_qs << all;
        QTest::newRow("11-digit number") << 1 << 5 << u"13900000001"_qs << all;
        QTest::newRow("18-digit ID as text") << 1 << 3 << u"110101198001010011"_qs << all;
        QTest::newRow("text-formatted number keeps zeros") << 3 << 1 << u"012"_qs << all;
        QTest::newRow("empty cell") << 2 << 5 << QString() << all;
        // Paste-values leave cells holding empty text; the whole .xls was once refused for one.
        QTest::newRow("empty text") << 3 << 3 << QString() << all;
        QTest::newRow("trailing blank kept") << 3 << 7 << u"男 "_qs << all;
        QTest::newRow("date") << 1 << 11 << u"2024-06-07"_qs << all;
        QTest::newRow("decimal") << 2 << 11 << u"7.5"_qs << all;
        QTest::newRow("negative") << 3 << 11 << u"-3"_qs << all;
        QTest::newRow("date and time") << 5 << 11 << u"2024-06-07 08:30:00"_qs << all;
        QTest::newRow("formula result") << 6 << 11 << u"2"_qs << all;
        QTest::newRow("time") << 7 << 11 << u"08:30:00"_qs << all;
        QTest::newRow("0.1") << 8 << 11 << u"0.1"_qs << all;
        QTest::newRow("line break") << 9 << 11 << u"第一行\n第二行"_qs << all;
    }
    void typedCells() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QStringList, formats);
        for (const QString& format : formats) {
            const workbook::WorkbookContent content = dataSet(format);
            QVERIFY(content->sheet(u"监考员"_qs));
            QCOMPARE(content->sheet(u"监考员"_qs)->cell(row, column), text);
        }
    }

    // The cell kinds of .xlsx that the data set lacks: rich text with phonetic guides, true/false,
    // errors, formula text, inline text, a number in a text cell, the 1904 date system with a
    // built-in, a custom and an East Asian date format, a cell without a reference.
    void xlsxCellKinds() {
        const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
        const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        const QByteArray xlsx = zip({
            {u"_rels/.rels"_qs, "<Relationships><Relationship Id=\"r1\" Type=\"" + rel +
                                    "officeDocument\" Target=\"/xl/workbook.xml\"/></Relationships>"},
            {u"xl/workbook.xml"_qs,
             "<workbook " + ns + " xmlns:r=\"" + rel +
                 "\"><workbookPr date1904=\"1\"/><sheets>"
                 "<sheet name=\"验卷\" sheetId=\"1\" r:id=\"s1\"/></sheets></workbook>"},
            {u"xl/_rels/workbook.xml.rels"_qs,
             "<Relationships><Relationship Id=\"s1\" Type=\"" + rel +
                 "worksheet\" Target=\"worksheets/one.xml\"/>"
                 "<Relationship Id=\"s2\" Type=\"" +
                 rel +
                 "styles\" Target=\"styles.xml\"/>"
                 "<Relationship Id=\"s3\" Type=\"" +
                 rel + "sharedStrings\" Target=\"strings.xml\"/></Relationships>"},
            {u"xl/styles.xml"_qs,
             "<styleSheet " + ns +
                 "><numFmts><numFmt numFmtId=\"164\" formatCode=\"@\"/>"
                 "<numFmt numFmtId=\"165\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
                 "</numFmts><cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs><xf numFmtId=\"0\"/>"
                 "<xf numFmtId=\"164\"/><xf numFmtId=\"14\"/><xf numFmtId=\"165\"/><xf numFmtId=\"31\"/>"
                 "</cellXfs></styleSheet>"},
            {u"xl/strings.xml"_qs, "<sst " + ns +
                                       "><si><t>张三</t></si><si><r><t>欧阳</t></r><r><t>修</t></r>"
                                       "<rPh sb=\"0\" eb=\"2\"><t>ōuyáng</t></rPh></si></sst>"},
            {u"xl/worksheets/one.xml"_qs,
             "<worksheet " + ns +
                 "><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                 "<c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"e\"><v>#N/A</v></c><c r=\"E1\" "
                 "t=\"str\"><f>A1</f>"
                 "<v>计算</v></c><c r=\"F1\" t=\"inlineStr\"><is><t>内联</t></is></c></row><row r=\"2\">"
                 "<c r=\"A2\" s=\"1\"><v>007</v></c><c r=\"B2\" s=\"2\"><v>45450</v></c><c r=\"C2\" "
                 "s=\"3\"><v>1</v></c>"
                 "<c r=\"D2\" s=\"4\"><v>100</v></c><c "
                 "r=\"E2\"><v>1.5E+20</v></c><c><v>3</v></c></row></sheetData></worksheet>"},
        });
        const RosterFile f = readRosterFile(writeFile(t.dir.filePath(u"kinds.xlsx"_qs), xlsx), {u"验卷"_qs});
        QVERIFY2(f.content, qPrintable(failureOf(f.content)));
        QStringList rows;
        for (const QStringList& r : f.content->sheets.value(0).rows)
            rows << r.join(u'|');
        QCOMPARE(rows.join(u'/'),
                 u"张三|欧阳修|TRUE|#N/A|计算|内联/007|2028-06-08|1904-01-02|1904-04-10|1.5E+20|3"_qs);
    }

    void csvFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("cells"); // rows joined by "/", cells by "|"
        const QByteArray header = "分组号,姓名\n";
        QTest::newRow("file name decides")
            << header + "1,张三\n"
            << u"场外监考名单.csv"_qs << u"场外监考"_qs << u"分组号|姓名/1|张三"_qs;
        QTest::newRow("验卷 before 场外监考")
            << header << u"场外监考和验卷.csv"_qs << u"验卷"_qs << u"分组号|姓名"_qs;
        QTest::newRow("header 监考员甲 decides")
            << QByteArray("分组号\t监考员甲\r\n3\t李四") << u"验卷.csv"_qs << u"监考员"_qs
            << u"分组号|监考员甲/3|李四"_qs;
        QTest::newRow("quotes, separators, line breaks")
            << header + "\"1,2\",\"说\"\"好\"\"\r\n了\"\n"
            << u"验卷.csv"_qs << u"验卷"_qs << u"分组号|姓名/1,2|说\"好\"\n了"_qs;
        QTest::newRow("GB18030") << QByteArray("\xb7\xd6\xd7\xe9\xba\xc5,\xd0\xd5\xc3\xfb") << u"验卷.csv"_qs
                                 << u"验卷"_qs << u"分组号|姓名"_qs;
        QTest::newRow("UTF-16 with byte-order mark")
            << QByteArray("\xff\xfe\x06\x52\xc4\x7e\xf7\x53\x09\x00\xd3\x59\x0d\x54", 14) << u"验卷.csv"_qs
            << u"验卷"_qs << u"分组号|姓名"_qs;
        QTest::newRow("sep= line") << QByteArray("sep=;\n分组号;姓名\n") << u"验卷.csv"_qs << u"验卷"_qs
                                   << u"分组号|姓名"_qs;
    }
    void csvFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fileName);
        QFETCH(QString, category);
        QFETCH(QString, cells);
        const RosterFile f = readRosterFile(writeFile(t.dir.filePath(fileName), bytes), {});
        QVERIFY2(f.content, qPrintable(failureOf(f.content)));
        QCOMPARE(f.content->sheets.size(), 1);
        QCOMPARE(f.content->sheets[0].name, category);
        QStringList rows;
        for (const QStringList& r : f.content->sheets[0].rows)
            rows << r.join(u'|');
        QCOMPARE(rows.join(u'/'), cells);
    }

    // Text that spans several CONTINUE records, numbers and true/false come back through FreeXL.
    void writerRoundTrip() {
        workbook::XlsWriter w;
        const int sheet = w.addSheet(u"数据"_qs);
        QStringList expected;
        for (int r = 0; r < 3000; ++r) {
            // 4,000 characters run over a record boundary; beyond that, text is cut (see the reader).
            const QString text = r == 1500   ? QString(4000, QChar(0x4E2D))
                                 : r == 2000 ? QString(9000, QChar(0x6587))
                                             : u"姓名%1 第%1行"_qs.arg(r);
            w.setText(sheet, r, 0, text);
            w.setNumber(sheet, r, 2, r + 0.25);
            expected << text;
        }
        w.setBoolean(sheet, 0, 3, true);
        const QString path = writeFile(t.dir.filePath(u"round.xls"_qs), w.file());
        const workbook::WorkbookContent c = readRosterFile(path, {u"数据"_qs}).content;
        QVERIFY2(c, qPrintable(failureOf(c)));
        const workbook::Sheet& s = c->sheets.front();
        QCOMPARE(s.rows.size(), 3000);
        for (int r = 0; r < 3000; ++r) {
            QCOMPARE(s.cell(r, 0), expected[r].left(4000));
            QCOMPARE(s.cell(r, 1), QString());
            QCOMPARE(s.cell(r, 2), QString::number(r + 0.25));
        }
        QCOMPARE(s.cell(0, 3), u"TRUE"_qs);
    }

    // The container keeps the stream whatever its size, also beyond the 109 FAT sectors that the
    // header lists itself (about 6.8 MB).
    void containerRoundTrip_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("smaller than a mini-stream cut-off") << 100;
        QTest::newRow("one megabyte") << (1 << 20);
        QTest::newRow("eight megabytes") << (8 << 20);
    }
    void containerRoundTrip() {
        QFETCH(int, size);
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7 + i / 4096);
        const CompoundFileReader reader(workbook::writeCompoundFile(u"Workbook"_qs, data));
        QVERIFY(reader.isValid());
        const std::optional<QByteArray> back = reader.stream(u"workbook"_qs);
        QVERIFY(back);
        QCOMPARE(back->left(size), data);
        QCOMPARE(back->mid(size), QByteArray(std::max(0, 4096 - size), '\0'));
    }

    void templateReadsBackThroughTheImport() {
        const base::Result<QString> path =
            writeImportTemplate(t.folder(), QDateTime(QDate(2009, 3, 4), QTime(5, 6, 7)));
        QVERIFY(path);
        QCOMPARE(QFileInfo(*path).fileName(), u"空表_20090304050607.xls"_qs);
        QCOMPARE(templateCreatedText(*path, t.folder()),
                 u"“空表_20090304050607.xls”成功创建在程序安装目录！"_qs);
        const workbook::WorkbookContent c = readRosterFile(*path, Categories{}.sheetNames()).content;
        QVERIFY(c);
        QStringList headers;
        for (const workbook::Sheet& s : c->sheets)
            headers << s.name + u':' + s.rows.value(0).join(u',');
        QCOMPARE(headers.join(u'\n'),
                 QString::fromUtf8(readFile(kData + u"template_headers.txt"_qs)).trimmed());
        // Filled in, it is accepted: here with nothing typed, it has no rows to import.
        QCOMPARE(stageRoster(c, workbook::Format::Xls, Categories{}, 3).status, StagedRoster::Status::Empty);
    }

    // LibreOffice opens the template: three sheets with their headers, and the identifier columns
    // formatted as text down to the cells not yet typed.
    void templateOpensInLibreOffice() {
        if (!hasLibreOffice())
            QSKIP("soffice is not installed");
        QTemporaryDir out;
        const QString path = writeFile(out.filePath(u"template.xls"_qs), importTemplateWorkbook());
        QVERIFY(convert(path,
                        u"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"_qs,
                        out.path()));
        QStringList headers;
        for (const QString& name : {u"监考员"_qs, u"场外监考"_qs, u"验卷"_qs})
            headers << name + u':' +
                           QString::fromUtf8(readFile(out.filePath(u"template-"_qs + name + u".csv"_qs)))
                               .trimmed();
        QCOMPARE(headers.join(u'\n'),
                 QString::fromUtf8(readFile(kData + u"template_headers.txt"_qs)).trimmed());

        QVERIFY(convert(path, u"fods"_qs, out.path()));
        const QString fods = QString::fromUtf8(readFile(out.filePath(u"template.fods"_qs)));
        const QString textFormat =
            QRegularExpression(u"<number:text-style style:name=\"([^\"]+)\""_qs).match(fods).captured(1);
        QVERIFY(!textFormat.isEmpty());
        int textColumns = 0;
        QRegularExpressionMatchIterator styles =
            QRegularExpression(u"<style:style style:name=\"([^\"]+)\"[^>]*style:data-style-name=\""_qs +
                               textFormat + u'"')
                .globalMatch(fods);
        while (styles.hasNext())
            textColumns +=
                int(fods.count(u"table:default-cell-style-name=\""_qs + styles.next().captured(1) + u'"'));
        // 监考员: 分组号, 身份证号1, 联系电话1, 身份证号2, 联系电话2; the others: 分组号, 身份证号, 联系电话.
        QCOMPARE(textColumns, 5 + 3 + 3);
    }

    void damagedFiles_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("detail");
        const QByteArray xls = readFile(kData + u"roster.xls"_qs);
        const QByteArray xlsx = readFile(kData + u"roster.xlsx"_qs);
        Entries withDtd = unzip(xlsx);
        for (auto& [name, data] : withDtd) {
            if (name == u"xl/sharedStrings.xml"_qs)
                data.replace("<sst ", "<!DOCTYPE sst [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><sst ")
                    .replace("<t xml:space=\"preserve\">", "<t xml:space=\"preserve\">&x;");
        }
        QTest::newRow("text file named .xls")
            << u"a.xls"_qs << QByteArray("分组号,姓名\n1,张三\n") << workbook::kNotXlsDetail;
        QTest::newRow("empty .xls") << u"b.xls"_qs << QByteArray() << workbook::kNotXlsDetail;
        QTest::newRow("truncated .xls")
            << u"c.xls"_qs << xls.left(xls.size() / 2) << workbook::kDamagedDetail;
        QTest::newRow(".xlsx named .xls") << u"d.xls"_qs << xlsx << workbook::kXlsxNamedXlsDetail;
        QTest::newRow(".xls named .xlsx") << u"e.xlsx"_qs << xls << workbook::kXlsNamedXlsxDetail;
        QTest::newRow("password-protected .xls")
            << u"f.xls"_qs << passwordWorkbook() << workbook::kPasswordDetail;
        QTest::newRow("password-protected .xlsx")
            << u"g.xlsx"_qs << workbook::writeCompoundFile(u"EncryptionInfo"_qs, QByteArray(100, 'x'))
            << workbook::kPasswordDetail;
        QTest::newRow("Excel 95 workbook")
            << u"h.xls"_qs << workbook::writeCompoundFile(u"Book"_qs, QByteArray(100, 'x'))
            << workbook::kOldExcelDetail;
        QTest::newRow("truncated .xlsx")
            << u"i.xlsx"_qs << xlsx.left(xlsx.size() * 2 / 3) << workbook::kDamagedDetail;
        QTest::newRow("document type with an external entity")
            << u"j.xlsx"_qs << zip(withDtd) << workbook::kDamagedDetail;
        QTest::newRow("1 GB sheet") << u"k.xlsx"_qs << zipBomb(quint64(1) << 30)
                                    << workbook::kZipEntryTooLargeDetail.arg(u"xl/worksheets/sheet1.xml"_qs,
                                                                             u"64"_qs);
        // The unzipping stops at the size the header states; the checksum then gives it away.
        QTest::newRow("1 GB sheet that claims 1 KB")
            << u"l.xlsx"_qs << zipBomb(1024) << workbook::kDamagedDetail;
        QTest::newRow("CSV in no known encoding")
            << u"验卷.csv"_qs << QByteArray("\xff\xff\xff") << workbook::kCsvEncodingDetail;
        QTest::newRow("CSV with an open quote")
            << u"验卷.csv"_qs << QByteArray("分组号,姓名\n1,\"张三\n") << workbook::kCsvQuoteDetail.arg(2);
        QTest::newRow("CSV of no category")
            << u"名单.csv"_qs << QByteArray("分组号,姓名\n") << kCsvCategoryDetail;
        QTest::newRow("other extension")
            << u"名单.txt"_qs << QByteArray("分组号,姓名\n") << kUnknownFormatDetail;
    }
    // Each ends with the refusal and its reason; the command changes nothing and fails.
    void damagedFiles() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, detail);
        const QString path = writeFile(t.dir.filePath(fileName), bytes);
        const StagedRoster staged = prepareRosterImport(path, Categories{}, 3);
        QCOMPARE(staged.status, StagedRoster::Status::Refused);
        QCOMPARE(staged.refusal.detail, detail);
        QCOMPARE(staged.refusal.message, notAcceptedText(workbook::formatName(staged.format)));

        const QStringList before = rosterDump(*t.db);
        QString output, errors;
        QCOMPARE(examdb({u"import"_qs, path, u"--yes"_qs, t.folder()}, {}, output, errors), 1);
        QCOMPARE(errors, staged.refusal.message + u'\n' + detail + u'\n');
        QCOMPARE(rosterDump(*t.db), before);
    }

    void fileOf200MegabytesIsRefusedUnread() {
        QFile f(t.dir.filePath(u"big.xlsx"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(200) << 20));
        f.close();
        QCOMPARE(prepareRosterImport(f.fileName(), Categories{}, 3).refusal.detail,
                 kFileTooLargeDetail.arg(32));
    }

    // Bounded mutation loops over valid workbooks: the container, the workbook stream inside it
    // and the XML parts inside the zip. Every mutant ends in a result, never a crash or a hang.
    void mutantsNeverCrash_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << u"xls"_qs;
        QTest::newRow("xlsx") << u"xlsx"_qs;
    }
    void mutantsNeverCrash() {
        QFETCH(QString, format);
        std::mt19937 random(20240607);
        const QByteArray original = readFile(kData + u"roster."_qs + format);
        const QByteArray stream =
            *CompoundFileReader(readFile(kData + u"roster.xls"_qs)).stream(u"Workbook"_qs);
        const Entries parts = unzip(readFile(kData + u"roster.xlsx"_qs));
        const QString path = t.dir.filePath(u"mutant."_qs + format);
        int refused = 0;
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes;
            if (i % 2 == 0) {
                bytes = mutate(original, random);
            } else if (format == u"xls"_qs) {
                bytes = workbook::writeCompoundFile(u"Workbook"_qs, mutate(stream, random));
            } else {
                Entries changed = parts;
                auto& part = changed[qsizetype(random() % quint64(changed.size()))].second;
                part = mutate(part, random);
                bytes = zip(changed);
            }
            writeFile(path, bytes);
            refused += prepareRosterImport(path, Categories{}, 3).status == StagedRoster::Status::Refused;
        }
        QVERIFY(refused > 0);
    }
};

QTEST_GUILESS_MAIN(TestWorkbookFiles)
#include "test_workbook_files.moc"
