#pragma once

#include "db/database.h"
#include "db/db_file.h"
#include "db/schema.h"

#include <QStringList>

// An exam database file as text: every row of its tables in 编号 order, each value with its
// kind (NULL, integer, real, text), and the number after which the file numbers new rows of
// each table. Two files with equal dumps hold the same data, down to a number kept as text.
inline QStringList canonicalDump(const db::Database& d) {
    const QStringList tables = db::requiredTables() + QStringList{db::kCertificateTable, db::kDeletionTable};
    const QStringList present = d.tables();
    QStringList lines;
    for (const QString& table : tables) {
        lines << QStringLiteral("## ") + table;
        if (!present.contains(table))
            continue;
        for (const db::Row& r : d.query(QStringLiteral("select * from %1 order by 编号").arg(table))) {
            QStringList cells;
            for (int i = 0; i < r.count(); ++i) {
                const QVariant v = r.value(i);
                QString cell;
                if (v.isNull())
                    cell = QStringLiteral("NULL");
                else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                    cell = QStringLiteral("integer ") + v.toString();
                else if (v.typeId() == QMetaType::Double)
                    cell = QStringLiteral("real ") + QString::number(v.toDouble(), 'g', 17);
                else
                    cell = QStringLiteral("text ") + v.toString()
                                                         .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                                         .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
                                                         .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
                cells << r.fieldName(i) + QLatin1Char('=') + cell;
            }
            lines << cells.join(QStringLiteral(" | "));
        }
    }
    lines << QStringLiteral("## sqlite_sequence");
    for (const QString& table : tables)
        lines << table + QLatin1Char('=') +
                     d.scalar(QStringLiteral("select seq from sqlite_sequence where name=?"), {table})
                         .toString();
    return lines;
}
