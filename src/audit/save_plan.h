#pragma once

// What a save writes, decided by the inputs alone: the save builds its rows here, and verify
// builds them again from a certificate's inputs to compare them with what the database holds.

#include "audit/draw_certificate.h"
#include "draw/draw_types.h"

#include <QString>

namespace engine {

// The rows a save of `result` writes, from the inputs alone (the paper checkers drawn here);
// rows empty and refusal set when the paper checkers cannot be drawn.
struct SavePlan {
    SavedRows rows;
    QString refusal;
};
SavePlan planSave(const DrawInputs& in, const Candidate& result);

} // namespace engine
