#pragma once

#include "settings/SettingsStore.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

namespace tessalyn {

// The settings store of the desktop program: QSettings in the native format,
// organisation "Korvanei", application "Tessalyn" (on Linux the file
// ~/.config/Korvanei/Tessalyn.conf). Sections become nested groups; value
// names keep their umlauts and brackets as they are named.
//
// When the file cannot be written, each write reports failure but the value
// is kept in memory, so the program goes on with its settings for the rest
// of the run.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    // A store in the given file (native format), for tests.
    explicit QtSettingsStore(const QString& fileName);
    ~QtSettingsStore() override;

    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    int readInt(std::string_view section, std::string_view name, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    bool writeInt(std::string_view section, std::string_view name, int value) override;
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;

    // The file behind the store.
    QString fileName() const;

    // The QSettings key of a value: section and name joined by '/'. A '\' in
    // the section separates groups as well.
    static QString keyOf(std::string_view section, std::string_view name);

private:
    QVariant value(const QString& key) const;
    bool write(const QString& key, const QVariant& value);
    void open();

    QString fileName_; // empty: the organisation/application location
    std::unique_ptr<QSettings> settings_;
    QHash<QString, QVariant> unsaved_; // values whose write did not reach the file
};

} // namespace tessalyn
