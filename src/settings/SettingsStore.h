#pragma once

#include <string>
#include <string_view>

namespace tessalyn {

// The per-user settings store as the core sees it: integers and texts by
// section and value name. The empty section is the application's own top
// level; nested sections are separated by '/' ("Dialog/Eingabe"). Section
// names, value names and texts are Windows-1252.
//
// A value that is missing, or stored with a type that does not fit the read,
// reads as the default the caller passes. Writes report whether the value
// reached the store.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int readInt(std::string_view section, std::string_view name,
                        int defaultValue) const = 0;
    virtual std::string readString(std::string_view section, std::string_view name,
                                   std::string_view defaultValue) const = 0;

    virtual bool writeInt(std::string_view section, std::string_view name, int value) = 0;
    virtual bool writeString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
};

} // namespace tessalyn
