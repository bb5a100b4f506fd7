#include "ui/widgets/TextCodec.h"

#include "data/Cp1252.h"

#include <QByteArray>

namespace tessalyn {

QString toQString(std::string_view cp1252Text) {
    const std::string utf8 = cp1252ToUtf8(cp1252Text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace tessalyn
