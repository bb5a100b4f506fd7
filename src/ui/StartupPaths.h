#pragma once

#include <QChar>
#include <QDir>
#include <QString>

namespace tessalyn {

// Name of the case history file, kept in the directory the program starts in.
inline constexpr const char* kHistoryFileName = "historie.xml";

// The case history path for a start-up directory: the file name appended
// directly when the directory already ends in the separator (a drive's or the
// file system's root), otherwise after one separator.
QString historyPathIn(const QString& directory, QChar separator = QDir::separator());

// The same for the current directory, in the platform's own notation.
QString historyPathInCurrentDirectory();

} // namespace tessalyn
