#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace db {

// The stored form of every date: "yyyy-MM-dd HH:mm:ss", so that order by sorts by time.
QString toDateText(const QDateTime& t);

// Reads what an operator may type or an older file may hold: "2005-6-7 9:00",
// "2005/06/07 09:00:00", "2005-6-7" (midnight), "2005-06-07T09:00:00".
std::optional<QDateTime> parseDateText(const QString& text);

} // namespace db
