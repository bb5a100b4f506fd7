// Several tessalyn-cli processes filing into one history file at the same
// time: every filing ends up in the file, and a lock file left behind by a
// program that ended does not block them.
#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessalyn;

namespace {

class HistoryLockCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("tessalyn-history-lock-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        file_ = (dir_ / "historie.xml").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Starts `tessalyn-cli history add` filing case `name`; returns its pid.
    pid_t startAdd(const std::string& name) const {
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string out = (dir_ / (name + ".out")).string();
            if (freopen(out.c_str(), "w", stdout) == nullptr ||
                freopen(out.c_str(), "a", stderr) == nullptr) {
                _exit(99);
            }
            execl(TESSALYN_CLI_PATH, TESSALYN_CLI_PATH, "history", "add", file_.c_str(), "--date",
                  "01.02.2026 10:00", name.c_str(), "", "12", "40", static_cast<char*>(nullptr));
            _exit(98);
        }
        return pid;
    }

    static int waitFor(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::filesystem::path dir_;
    std::string file_;
};

} // namespace

TEST_F(HistoryLockCli, ConcurrentFilingsAreAllKept) {
    constexpr int kProcesses = 12;
    std::vector<pid_t> pids;
    for (int i = 0; i < kProcesses; ++i) {
        pids.push_back(startAdd("Fall" + std::to_string(i)));
    }
    for (pid_t pid : pids) {
        EXPECT_EQ(waitFor(pid), 0);
    }
    CaseHistory history(file_);
    EXPECT_TRUE(history.loadOk());
    std::set<std::string> names;
    for (const auto& c : history.cases()) {
        names.insert(c->name);
        EXPECT_EQ(c->treatments.size(), 1u);
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kProcesses));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
}

TEST_F(HistoryLockCli, ALockLeftBehindLongAgoIsTakenOver) {
    std::ofstream(file_ + ".lock") << "1 anderer-rechner 42\n";
    const timeval old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimes((file_ + ".lock").c_str(), old), 0);
    EXPECT_EQ(waitFor(startAdd("Fall")), 0);
    EXPECT_EQ(CaseHistory(file_).caseCount(), 1u);
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
}
