#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace common {

// Refuses a second copy of the same program started from the same folder. Copies in
// other folders (another exam centre's installation) are independent.
class SingleInstance {
public:
    SingleInstance(const QString& programName, const QString& programFolder);
    // False when another instance holds the lock.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

inline const QString kAlreadyRunningText = QStringLiteral("程序已经运行，不能再次装载！");

} // namespace common
