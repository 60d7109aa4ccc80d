#pragma once

#include <QString>
#include <QStringList>

namespace engine {

// Why a draw cannot be made, in the operator's words: the rule that blocks and what to relax.
namespace draw_text {

QString aReturn();
QString bReturn();
QString partner();
QString returnAndPartner();
// The gender rule, the unit rule or both (with whatever else is in force) leave no way to
// place every B invigilator.
QString mixing(bool gender, bool unit);
// kind "场外监考", "验卷", or empty when the caller does not say.
QString dutyReturn(const QString& kind);
// The sampler found nothing within its bound; `conditions` are the rules in force
// ("不允许重回原考室", ...), `relax` the matching advice ("勾选“允许重回原考室”", ...).
QString tooTight(const QStringList& conditions, const QStringList& relax);

} // namespace draw_text

} // namespace engine
