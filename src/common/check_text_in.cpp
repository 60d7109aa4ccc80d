#include "common/check_text_in.h"

#include <QStringList>

namespace common {

bool CheckTextIN(const QString& value, const QString& list, const QString& delimiter, int mode) {
    if (list.isEmpty())
        return false;
    QString body = list;
    if (!delimiter.isEmpty() && body.endsWith(delimiter))
        body.chop(delimiter.size());
    const QStringList items = delimiter.isEmpty() ? QStringList{body} : body.split(delimiter);
    for (const QString& raw : items) {
        const QString item = raw.trimmed();
        bool hit = false;
        switch (mode) {
        case 0:
            hit = value.contains(item);
            break;
        case 1:
            hit = value.startsWith(item);
            break;
        case 2:
            hit = value.endsWith(item);
            break;
        default:
            hit = value == item;
            break;
        }
        if (hit)
            return true;
    }
    return false;
}

} // namespace common
