#include "ui/StartupPaths.h"

namespace tessalyn {

QString historyPathIn(const QString& directory, QChar separator) {
    const QString name = QString::fromLatin1(kHistoryFileName);
    if (directory.endsWith(separator)) {
        return directory + name;
    }
    return directory + separator + name;
}

QString historyPathInCurrentDirectory() {
    return historyPathIn(QDir::toNativeSeparators(QDir::currentPath()));
}

} // namespace tessalyn
