#pragma once

#include <QString>

namespace common {

// Opening a file with its default program and starting a sibling program.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool openFile(const QString& path) = 0;
    // Starts the program without waiting; false when it cannot be started.
    virtual bool startProgram(const QString& path) = 0;
};

// The path of a sibling program in the program folder ("Morvek" gets ".exe" on Windows).
QString siblingProgramPath(const QString& programFolder, const QString& baseName);

} // namespace common
