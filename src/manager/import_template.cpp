#include "manager/import_template.h"

#include "manager/import_texts.h"
#include "manager/xls_writer.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>

namespace manager {

namespace {

struct TemplateColumn {
    const char16_t* header;
    double width;
    bool text; // typed digits are identifiers, not numbers
};

void addSheet(XlsWriter& w, const QString& name, std::initializer_list<TemplateColumn> columns) {
    const int sheet = w.addSheet(name);
    const int text = w.cellFormat(XlsWriter::kTextFormat);
    const int header = w.cellFormat(XlsWriter::kGeneral, true);
    const int textHeader = w.cellFormat(XlsWriter::kTextFormat, true);
    int c = 0;
    for (const TemplateColumn& col : columns) {
        w.setColumn(sheet, c, col.width, col.text ? text : XlsWriter::kDefaultFormat);
        w.setText(sheet, 0, c, QString::fromUtf16(col.header), col.text ? textHeader : header);
        ++c;
    }
}

} // namespace

QByteArray importTemplateWorkbook() {
    XlsWriter w;
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

TemplateResult writeImportTemplate(const QString& programFolder, const QDateTime& now) {
    TemplateResult r;
    const QString name =
        QStringLiteral("空表_") + now.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".xls");
    r.path = QDir(programFolder).filePath(name);
    QSaveFile file(r.path);
    const QByteArray bytes = importTemplateWorkbook();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        r.message = kTemplateFailedText;
        return r;
    }
    r.ok = true;
    r.message = QStringLiteral("“") + name + QStringLiteral("”成功创建在程序安装目录！");
    return r;
}

} // namespace manager
