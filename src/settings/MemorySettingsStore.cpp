#include "settings/MemorySettingsStore.h"

namespace tessalyn {

int MemorySettingsStore::readInt(std::string_view section, std::string_view name,
                                 int defaultValue) const {
    const Value* v = find(section, name);
    if (v == nullptr || !std::holds_alternative<int>(*v)) {
        return defaultValue;
    }
    return std::get<int>(*v);
}

std::string MemorySettingsStore::readString(std::string_view section, std::string_view name,
                                            std::string_view defaultValue) const {
    const Value* v = find(section, name);
    if (v == nullptr || !std::holds_alternative<std::string>(*v)) {
        return std::string(defaultValue);
    }
    return std::get<std::string>(*v);
}

bool MemorySettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    set(section, name, value);
    return true;
}

bool MemorySettingsStore::writeString(std::string_view section, std::string_view name,
                                      std::string_view value) {
    set(section, name, std::string(value));
    return true;
}

void MemorySettingsStore::set(std::string_view section, std::string_view name, Value value) {
    values_[Key(section, name)] = std::move(value);
}

const MemorySettingsStore::Value* MemorySettingsStore::find(std::string_view section,
                                                            std::string_view name) const {
    const auto it = values_.find(Key(section, name));
    return it == values_.end() ? nullptr : &it->second;
}

void MemorySettingsStore::remove(std::string_view section, std::string_view name) {
    values_.erase(Key(section, name));
}

} // namespace tessalyn
