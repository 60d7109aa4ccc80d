#pragma once

// The hard rules of a draw, checked on the saved rows against verify's own reading of the
// certificate (verify_reading.h), apart from the engine.

#include "audit/draw_certificate.h"
#include "audit/verify_reading.h"

#include <QStringList>

namespace engine::audit {

// What breaks a hard rule in force, one text per finding (empty when all hold): each room has
// one A and one B and each person is placed exactly once, nobody of a side that is not drawn
// moves, nobody returns to a room or meets a partner of the listed history where that is not
// allowed, the duty draws respect their histories, the rows carry the certificate's batch, the
// 抽签参数 row states the certificate's rules, and 抽签总表 names the people (name, gender,
// unit, ID), rooms and scopes that 抽签历史 places. The gender and unit rules depend on the
// order of the draw's retries and are left to the replay.
QStringList checkRules(const Reading& in, const SavedRows& rows);

} // namespace engine::audit
