#pragma once

#include <QString>

class QWidget;

// Message boxes reach the windows through this, so tests can answer them.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical };
    virtual ~Prompter() = default;
    virtual void message(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) = 0;
    // Yes/No with No as the default; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) = 0;
};

class QtPrompter : public Prompter {
public:
    void message(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) override;
    bool confirm(QWidget* parent, const QString& text, Icon icon, const QString& title = {}) override;
};
