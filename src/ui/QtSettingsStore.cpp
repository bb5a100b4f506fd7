#include "ui/QtSettingsStore.h"

#include "ui/widgets/TextCodec.h"

#include <QSettings>
#include <QStringList>

#include <limits>

namespace tessalyn {

QtSettingsStore::QtSettingsStore() {
    open();
}

QtSettingsStore::QtSettingsStore(const QString& fileName) : fileName_(fileName) {
    open();
}

QtSettingsStore::~QtSettingsStore() = default;

void QtSettingsStore::open() {
    if (fileName_.isEmpty()) {
        settings_ =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QStringLiteral("Korvanei"), QStringLiteral("Tessalyn"));
    } else {
        settings_ = std::make_unique<QSettings>(fileName_, QSettings::NativeFormat);
    }
}

QString QtSettingsStore::fileName() const {
    return settings_->fileName();
}

QString QtSettingsStore::keyOf(std::string_view section, std::string_view name) {
    QString key = toQString(section);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!key.isEmpty() && !key.endsWith(QLatin1Char('/'))) {
        key += QLatin1Char('/');
    }
    return key + toQString(name);
}

QVariant QtSettingsStore::value(const QString& key) const {
    const auto it = unsaved_.constFind(key);
    if (it != unsaved_.constEnd()) {
        return *it;
    }
    return settings_->value(key);
}

int QtSettingsStore::readInt(std::string_view section, std::string_view name,
                             int defaultValue) const {
    const QVariant v = value(keyOf(section, name));
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::QString: {
        // The file keeps numbers as text; anything that is not a whole
        // 32-bit number reads as the default.
        bool ok = false;
        const qlonglong n = v.toString().trimmed().toLongLong(&ok, 10);
        if (ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) {
            return static_cast<int>(n);
        }
        return defaultValue;
    }
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        bool ok = false;
        const int n = v.toInt(&ok);
        return ok ? n : defaultValue;
    }
    default:
        return defaultValue;
    }
}

std::string QtSettingsStore::readString(std::string_view section, std::string_view name,
                                        std::string_view defaultValue) const {
    const QVariant v = value(keyOf(section, name));
    if (!v.isValid()) {
        return std::string(defaultValue);
    }
    if (v.typeId() == QMetaType::QStringList) {
        // An unquoted text with commas, edited into the file by hand.
        return fromQString(v.toStringList().join(QStringLiteral(", ")));
    }
    if (!v.canConvert<QString>()) {
        return std::string(defaultValue);
    }
    return fromQString(v.toString());
}

bool QtSettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    return write(keyOf(section, name), QVariant(value));
}

bool QtSettingsStore::writeString(std::string_view section, std::string_view name,
                                  std::string_view value) {
    return write(keyOf(section, name), QVariant(toQString(value)));
}

bool QtSettingsStore::write(const QString& key, const QVariant& value) {
    bool ok = settings_->isWritable();
    if (ok) {
        settings_->setValue(key, value);
        settings_->sync();
        ok = settings_->status() == QSettings::NoError;
    }
    if (ok) {
        unsaved_.remove(key);
        return true;
    }
    // The value stays in memory for this run. QSettings keeps an error once
    // it has one, so the next write starts with a fresh object.
    unsaved_.insert(key, value);
    open();
    return false;
}

} // namespace tessalyn
