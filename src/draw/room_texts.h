#pragma once

#include "draw/draw_types.h"

#include <QString>
#include <QVector>

#include <functional>

namespace engine {

// What a room box shows: the room number, "." and the names of A and B, and with
// `supervisor` given, "," and the outside supervisor. A person index outside the rooms
// shows an empty name.
QString roomBoxText(const WorkingSet& ws, int room, int aPerson, int bPerson, const QString* supervisor);

// The outside supervisor of every room (1..N) when nobody is drawn: each keeps the scope of
// his or her own row.
QVector<QString> initialSupervisors(const WorkingSet& ws);

// The advance of the widest box text any candidate can make, with `advance` measuring one
// piece: the widest room number, A name and B name (and supervisor) side by side.
int widestRoomText(const WorkingSet& ws, bool withSupervisor,
                   const std::function<int(const QString&)>& advance);

} // namespace engine
