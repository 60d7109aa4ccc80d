#pragma once

namespace manager {

// The arithmetic of an editor's record grid: a page of N rows beside a scroll bar whose
// value `top` (1-based) is the record shown in row 0, the current record.
// Plain int throughout: a roster may hold more rows than a 16-bit counter.
class RecordPager {
public:
    explicit RecordPager(int pageSize);

    int pageSize() const { return pageSize_; }
    int count() const { return count_; }
    int top() const { return top_; }

    // A new record count; top stays within 1..count (1 when there are none), as a scroll
    // bar keeps its value inside a shrinking range.
    void setCount(int count);
    // A scroll change.
    void setTop(int top);

    // Filled rows: min(count - top + 1, N), 0 without records. Rows from rows() to N-1 are
    // cleared.
    int rows() const;
    bool rowFilled(int row) const { return row >= 0 && row < rows(); }
    bool hasCurrent() const { return rows() > 0; }
    // Records to skip before row 0 ("limit ? offset ?").
    int offset() const { return top_ - 1; }

    // The scroll bar: minimum 1, maximum count, usable only with records.
    int scrollMinimum() const { return 1; }
    int scrollMaximum() const { return count_; }
    bool scrollEnabled() const { return count_ > 0; }

    // A click on row `row` makes its record current; false (nothing changes) on an empty row.
    bool clickRow(int row);
    // After deleting the current record: one record less, back to the first.
    void afterDelete();
    // The last record becomes current (before and after an add).
    void toLast();

private:
    int pageSize_;
    int count_ = 0;
    int top_ = 1;
};

} // namespace manager
