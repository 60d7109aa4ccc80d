#include "manager/ui/record_grid.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace manager::ui {

RecordGrid::RecordGrid(int rows, int linesPerRow, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("recordGrid"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto* column = new QVBoxLayout;
    column->setContentsMargins(6, 4, 4, 4);
    column->setSpacing(0);
    const int rowHeight = fontMetrics().lineSpacing() * linesPerRow + 8;
    for (int i = 0; i < std::max(rows, 1); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setFixedHeight(rowHeight);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        if (i == 0)
            label->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
        column->addWidget(label);
        labels_ << label;
        texts_ << QString();
    }
    column->addStretch();

    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName(QStringLiteral("VScroll1"));
    connect(scroll_, &QScrollBar::valueChanged, this, &RecordGrid::scrolled);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(column, 1);
    layout->addWidget(scroll_);
    clear();
}

void RecordGrid::showPage(const Page& page, const RecordPager& pager) {
    for (int i = 0; i < pageSize(); ++i)
        texts_[i] = i < page.rows.size() ? page.rows[i] : QString();
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(pager.scrollMinimum(), std::max(pager.scrollMaximum(), pager.scrollMinimum()));
    scroll_->setPageStep(pageSize());
    scroll_->setValue(pager.top());
    scroll_->setEnabled(pager.scrollEnabled());
    elide();
}

void RecordGrid::clear() {
    RecordPager empty(pageSize());
    showPage({}, empty);
}

// Long names end in "…" rather than pushing the window wider; the whole text is the tooltip.
void RecordGrid::elide() {
    for (int i = 0; i < pageSize(); ++i) {
        QLabel* label = labels_[i];
        const int width = std::max(label->width() - 4, 20);
        QStringList lines = texts_[i].split(QLatin1Char('\n'));
        for (QString& line : lines)
            line = label->fontMetrics().elidedText(line, Qt::ElideRight, width);
        label->setText(lines.join(QLatin1Char('\n')));
        // Tooltips guess rich text from the content: escaped and marked, a name stays a name.
        label->setToolTip(texts_[i].isEmpty() ? QString()
                                              : QStringLiteral("<p style='white-space:pre'>") +
                                                    texts_[i].toHtmlEscaped() + QStringLiteral("</p>"));
    }
}

void RecordGrid::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    elide();
}

bool RecordGrid::eventFilter(QObject* watched, QEvent* event) {
    const int i = static_cast<int>(labels_.indexOf(static_cast<QLabel*>(watched)));
    if (i < 0)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (!texts_[i].isEmpty())
            Q_EMIT rowClicked(i);
        return true;
    }
    if (event->type() == QEvent::Wheel && scroll_->isEnabled()) {
        QApplication::sendEvent(scroll_, event);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace manager::ui
