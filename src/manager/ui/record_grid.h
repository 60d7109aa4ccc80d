#pragma once

#include "manager/record_pager.h"
#include "manager/record_source.h"

#include <QFrame>
#include <QVector>

class QLabel;
class QScrollBar;

namespace manager::ui {

// The record list of every editor: N rows of plain text beside a scroll bar whose value
// is the record shown in row 0, the current record, drawn in red. Rows are the control
// array Label1 (objectNames "Label1_0" ... ), the scroll bar is VScroll1, the grid itself
// "recordGrid".
class RecordGrid : public QFrame {
    Q_OBJECT
public:
    // `linesPerRow`: how many text lines a row holds (the settings editor shows two).
    explicit RecordGrid(int rows, int linesPerRow = 1, QWidget* parent = nullptr);

    int pageSize() const { return static_cast<int>(labels_.size()); }
    QLabel* row(int i) const { return labels_[i]; }
    QScrollBar* scrollBar() const { return scroll_; }
    QString rowText(int i) const { return texts_[i]; }

    // Shows a page and sets the scroll bar from the pager without signalling a change.
    void showPage(const Page& page, const RecordPager& pager);
    // Every row empty, the scroll bar unusable.
    void clear();

Q_SIGNALS:
    // A click on a row that shows a record.
    void rowClicked(int row);
    // The operator moved the scroll bar (or the wheel over the rows) to `top`.
    void scrolled(int top);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QVector<QLabel*> labels_;
    QStringList texts_;
    QScrollBar* scroll_;
};

} // namespace manager::ui
