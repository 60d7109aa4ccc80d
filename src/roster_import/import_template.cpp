#include "roster_import/import_template.h"

#include "roster_import/import_texts.h"
#include "workbook/xls_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace roster_import {

namespace {

struct TemplateColumn {
    const char16_t* header;
    double width;
    bool text; // typed digits are identifiers, not numbers
};

void addSheet(workbook::XlsWriter& w, const QString& name, std::initializer_list<TemplateColumn> columns) {
    const int sheet = w.addSheet(name);
    const int text = w.cellFormat(workbook::XlsWriter::kTextFormat);
    const int header = w.cellFormat(workbook::XlsWriter::kGeneral, true);
    const int textHeader = w.cellFormat(workbook::XlsWriter::kTextFormat, true);
    int c = 0;
    for (const TemplateColumn& col : columns) {
        w.setColumn(sheet, c, col.width, col.text ? text : workbook::XlsWriter::kDefaultFormat);
        w.setText(sheet, 0, c, QString::fromUtf16(col.header), col.text ? textHeader : header);
        ++c;
    }
}

} // namespace

QByteArray importTemplateWorkbook() {
    workbook::XlsWriter w;
    addSheet(w, QStringLiteral("监考员"),
             {{u"分组号", 8, true},
              {u"监考员甲", 10, false},
              {u"性别1", 6, false},
              {u"身份证号1", 21, true},
              {u"来源单位1", 20, false},
              {u"联系电话1", 14, true},
              {u"监考员乙", 10, false},
              {u"性别2", 6, false},
              {u"身份证号2", 21, true},
              {u"来源单位2", 20, false},
              {u"联系电话2", 14, true}});
    for (const QString& name : {QStringLiteral("场外监考"), QStringLiteral("验卷")}) {
        addSheet(w, name,
                 {{u"分组号", 8, true},
                  {u"姓名", 10, false},
                  {u"性别", 6, false},
                  {u"身份证号", 21, true},
                  {u"来源单位", 20, false},
                  {u"联系电话", 14, true}});
    }
    return w.file();
}

base::Result<QString> writeImportTemplate(const QString& programFolder, const QDateTime& now) {
    const QString name =
        QStringLiteral("空表_") + now.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".xls");
    const QString path = QDir(programFolder).filePath(name);
    QSaveFile file(path);
    const QByteArray bytes = importTemplateWorkbook();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return base::failure(kTemplateFailedText, file.errorString());
    return path;
}

QString templateCreatedText(const QString& path, const QString& programFolder) {
    const QFileInfo file(path);
    const QString where =
        file.absoluteDir() == QDir(programFolder)
            ? QStringLiteral("程序安装目录")
            : QStringLiteral("“") + QDir::toNativeSeparators(file.absolutePath()) + QStringLiteral("”");
    return QStringLiteral("“") + file.fileName() + QStringLiteral("”成功创建在") + where +
           QStringLiteral("！");
}

} // namespace roster_import
