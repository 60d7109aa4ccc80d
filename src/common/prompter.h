#pragma once

#include <QString>

class QWidget;

namespace common {

// Message boxes reach the windows through this, so tests can answer them.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical };
    virtual ~Prompter() = default;
    virtual void message(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) = 0;
    // Yes/No with No as the default; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) = 0;
};

} // namespace common
