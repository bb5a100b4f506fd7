#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tessalyn::test_support {

// The whole file as bytes, for tests that name files as Qt does; empty when
// it cannot be read. (FileBytes.h is the same for std::string paths.)
inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace tessalyn::test_support
