#pragma once

#include "settings/SettingsStore.h"

#include <map>
#include <string>
#include <utility>
#include <variant>

namespace tessalyn {

// A settings store held in memory, for the tests and benchmarks of the core
// and the windows. It keeps the type of each value, so an integer read of a
// text value falls back to the default as the platform store does.
class MemorySettingsStore : public SettingsStore {
public:
    using Value = std::variant<int, std::string>;

    int readInt(std::string_view section, std::string_view name, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    bool writeInt(std::string_view section, std::string_view name, int value) override;
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;

    // Direct access for tests: put a value of any type, look one up, remove it.
    void set(std::string_view section, std::string_view name, Value value);
    const Value* find(std::string_view section, std::string_view name) const;
    bool contains(std::string_view section, std::string_view name) const {
        return find(section, name) != nullptr;
    }
    void remove(std::string_view section, std::string_view name);
    std::size_t size() const { return values_.size(); }

private:
    using Key = std::pair<std::string, std::string>;

    std::map<Key, Value> values_;
};

} // namespace tessalyn
