#pragma once

#include "draw/feasibility.h"
#include "draw/pairing_problem.h"

namespace engine {

// Whether the B step can ever complete under the A arrangement a[1..n]: whether some order
// of acceptances, each after whatever refusals it needs, passes every rule of the B step
// including the gender and unit rules. Exact when the search finishes within `budget`
// steps, Unknown otherwise.
Feasibility bStepCanComplete(const PairingProblem& p, const std::vector<int>& a, qint64& budget);

// Whether some A arrangement the A step can draw leaves a B step that can complete (only for
// small centres: the search is exhaustive). Unknown when `budget` ran out.
Feasibility someArrangementCompletes(const PairingProblem& p, qint64& budget);

} // namespace engine
