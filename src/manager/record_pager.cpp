#include "manager/record_pager.h"

#include <algorithm>

namespace manager {

RecordPager::RecordPager(int pageSize) : pageSize_(std::max(pageSize, 1)) {}

void RecordPager::setCount(int count) {
    count_ = std::max(count, 0);
    setTop(top_);
}

void RecordPager::setTop(int top) {
    top_ = std::clamp(top, 1, std::max(count_, 1));
}

int RecordPager::rows() const {
    return std::clamp(count_ - top_ + 1, 0, pageSize_);
}

bool RecordPager::clickRow(int row) {
    if (!rowFilled(row))
        return false;
    setTop(top_ + row);
    return true;
}

void RecordPager::afterDelete() {
    count_ = std::max(count_ - 1, 0);
    top_ = 1;
}

void RecordPager::toLast() {
    setTop(count_);
}

} // namespace manager
