#pragma once

#include "settings/MemorySettingsStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessalyn::test_support {

// A settings store in memory that counts and logs its writes and can be made
// to fail them from a chosen write on, to imitate a store that stops
// accepting values.
class TestSettingsStore final : public MemorySettingsStore {
public:
    bool writeInt(std::string_view section, std::string_view name, int value) override;
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;

    // Writes number `index` and later ones (counted from 0 over the store's
    // life) fail and change nothing. -1 lets every write succeed.
    void failWritesFrom(int index) { failFrom_ = index; }
    int writeAttempts() const { return attempts_; }

    // The value names of the successful writes, in order, as "section|name".
    const std::vector<std::string>& writeLog() const { return log_; }
    void clearWriteLog() { log_.clear(); }

private:
    // Counts the write; false when it is to fail.
    bool attempt();
    void logWrite(std::string_view section, std::string_view name);

    std::vector<std::string> log_;
    int failFrom_ = -1;
    int attempts_ = 0;
};

} // namespace tessalyn::test_support
