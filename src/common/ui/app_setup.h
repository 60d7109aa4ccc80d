#pragma once

#include <QString>

namespace common::ui {

// Application name, the Chinese texts of Qt's own dialogs, and a CJK interface font, so
// that a fresh Linux machine shows Chinese instead of boxes.
void setUpApplication(const QString& name);

} // namespace common::ui
