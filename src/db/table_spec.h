#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace db {

// What a column holds; each backend spells its own type for it.
enum class ColumnType {
    Key, // 编号: the row's number, given by the database
    Integer,
    Number, // may hold a fraction of a unit (时长 in minutes)
    Text,
    DateTime, // "yyyy-MM-dd HH:mm:ss"
};

struct Column {
    QString name;
    ColumnType type;
};

struct TableIndex {
    QString name;
    QString columns; // as the statement lists them, e.g. "项目编号, 分类"
    bool unique = false;
};

// One table of the exam database, described once: both backends make it from this, the look
// at a database checks its columns against it, and the server knows its key from it.
struct Table {
    QString name;
    QVector<Column> columns;
    QVector<TableIndex> indexes;

    QStringList columnNames() const;
    // The Key column's name; empty for a table without one.
    QString key() const;
};

} // namespace db
