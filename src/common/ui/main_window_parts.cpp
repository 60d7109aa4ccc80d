#include "common/ui/main_window_parts.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace common::ui {

QPlainTextEdit* createOverviewBox(QWidget* parent, int minimumHeight) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QStringLiteral("Txt基本情况"));
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Noto Sans Mono CJK SC"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(11);
    box->setFont(mono);
    box->setMinimumSize(520, minimumHeight);
    return box;
}

QLabel* createTitleLabel(const QString& text, int points, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1"));
    QFont title = label->font();
    title.setPointSize(points);
    title.setBold(true);
    label->setFont(title);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: #1f4e8c;"));
    return label;
}

QLabel* createDatabaseLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("LblDatabase"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setStyleSheet(QStringLiteral("color: #555;"));
    // A long path must not widen the window; the overview sets the width.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace common::ui
