#include "draw/room_texts.h"

#include "draw/draw_engine.h"

#include <algorithm>

namespace engine {

namespace {

const RosterRow& rosterRow(const WorkingSet& ws, int k) {
    static const RosterRow empty;
    return k >= 1 && k <= ws.roomCount() ? ws.rooms[k] : empty;
}

} // namespace

QString roomBoxText(const WorkingSet& ws, int room, int aPerson, int bPerson, const QString* supervisor) {
    QString text = rosterRow(ws, room).room() + QLatin1Char('.') + rosterRow(ws, aPerson).aName() +
                   QLatin1Char(',') + rosterRow(ws, bPerson).bName();
    if (supervisor)
        text += QLatin1Char(',') + *supervisor;
    return text;
}

QVector<QString> initialSupervisors(const WorkingSet& ws) {
    QVector<int> nobodyMoved(ws.supervisorCount() + 1);
    for (int j = 0; j < nobodyMoved.size(); ++j)
        nobodyMoved[j] = j;
    QVector<QString> column(ws.roomCount() + 1);
    assignRoomDuties(ws, nobodyMoved, column);
    return column;
}

int widestRoomText(const WorkingSet& ws, bool withSupervisor,
                   const std::function<int(const QString&)>& advance) {
    int room = 0, a = 0, b = 0, supervisor = 0;
    for (int i = 1; i <= ws.roomCount(); ++i) {
        room = std::max(room, advance(ws.rooms[i].room()));
        a = std::max(a, advance(ws.rooms[i].aName()));
        b = std::max(b, advance(ws.rooms[i].bName()));
    }
    int widest = room + advance(QStringLiteral(".")) + a + advance(QStringLiteral(",")) + b;
    if (withSupervisor) {
        for (int j = 1; j <= ws.supervisorCount(); ++j)
            supervisor = std::max(supervisor, advance(ws.supervisors[j].name));
        widest += advance(QStringLiteral(",")) + supervisor;
    }
    return widest;
}

} // namespace engine
