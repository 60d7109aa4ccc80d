#pragma once

#include "draw/pairing_problem.h"

#include <QString>

namespace engine {

enum class Feasibility { Yes, No, Unknown };

// Whether some A arrangement leaves room for a B arrangement under the return rule (when
// `useReturn`) and the partner rule. Unknown when the search used up `budget` first.
Feasibility pairingFeasible(const PairingProblem& p, bool useReturn, qint64 budget);

// Decides before a run, wherever it is decidable, whether the pairing rules can be met at all.
// Empty when nothing was found against it, else the reason for the operator.
QString pairingBlocker(const PairingProblem& p);

} // namespace engine
