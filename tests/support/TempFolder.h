#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace tessalyn::test_support {

// A fresh empty folder under the temporary folder for one test, removed with
// everything in it afterwards (also when the test took its rights away). Its
// name holds the process id and the running test's name, so test programs
// running at the same time never share one; `name` tells folders of one test
// apart.
class TempFolder {
public:
    explicit TempFolder(const std::string& name = "tessalyn") {
        std::string unique = name + "-" + std::to_string(::getpid());
        if (const ::testing::TestInfo* test =
                ::testing::UnitTest::GetInstance()->current_test_info()) {
            unique += std::string("-") + test->test_suite_name() + "-" + test->name();
        }
        path_ = std::filesystem::temp_directory_path() / unique;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` in the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // The names of the folder's entries.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            out.push_back(entry.path().filename().string());
        }
        return out;
    }

private:
    std::filesystem::path path_;
};

} // namespace tessalyn::test_support
