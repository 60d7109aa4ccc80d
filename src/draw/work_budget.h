#pragma once

#include <QtGlobal>

namespace engine {

// The work a draw may still do before it hands control back. A unit is roughly one random
// number with its tests; bigger steps (restarts, matchings) take several.
struct WorkBudget {
    qint64 left = 0;

    bool take(qint64 units = 1) {
        if (left <= 0)
            return false;
        left -= units;
        return true;
    }
};

} // namespace engine
