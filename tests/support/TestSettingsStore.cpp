#include "support/TestSettingsStore.h"

namespace tessalyn::test_support {

bool TestSettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    if (!attempt() || !MemorySettingsStore::writeInt(section, name, value)) {
        return false;
    }
    logWrite(section, name);
    return true;
}

bool TestSettingsStore::writeString(std::string_view section, std::string_view name,
                                    std::string_view value) {
    if (!attempt() || !MemorySettingsStore::writeString(section, name, value)) {
        return false;
    }
    logWrite(section, name);
    return true;
}

bool TestSettingsStore::attempt() {
    const int index = attempts_++;
    return failFrom_ < 0 || index < failFrom_;
}

void TestSettingsStore::logWrite(std::string_view section, std::string_view name) {
    log_.push_back(std::string(section) + '|' + std::string(name));
}

} // namespace tessalyn::test_support
