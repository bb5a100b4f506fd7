#pragma once

// Runs tessalyn-cli as a process of its own, as a person or a script does:
// optionally as an unprivileged user (when the tests run as root), with a
// chosen file-creation mask, in the background.

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessalyn::test_support {

// The user whose rights the permission tests work with: "nobody" when the
// tests run as root (which every permission lets through), else the user
// running them.
inline bool runAsNobody() {
    return ::geteuid() == 0;
}
inline uid_t userId() {
    return runAsNobody() ? 65534 : ::geteuid();
}
inline gid_t groupId() {
    return runAsNobody() ? 65534 : ::getegid();
}

// Gives `path` to that user.
inline void giveToUser(const std::string& path) {
    if (runAsNobody()) {
        [[maybe_unused]] const int rc = ::lchown(path.c_str(), userId(), groupId());
    }
}

// A temporary folder the unprivileged user can reach: the test's own unless
// one of the folders above it is closed to others (a build tree in the
// administrator's home), then the system's.
inline std::filesystem::path userReachableTemporaryFolder() {
    const std::filesystem::path own = std::filesystem::temp_directory_path();
    if (!runAsNobody()) {
        return own;
    }
    for (std::filesystem::path p = std::filesystem::absolute(own);; p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0) {
            return "/tmp";
        }
        if (p == p.root_path()) {
            return own;
        }
    }
}

// A fresh folder for the running test that the unprivileged user can reach,
// named after `prefix`, this process and the test; anything left there by an
// earlier run is removed first.
inline std::string freshUserTestFolder(const std::string& prefix) {
    const std::string dir = (userReachableTemporaryFolder() /
                             (prefix + "-" + std::to_string(::getpid()) + "-" +
                              ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                                .string();
    std::filesystem::remove_all(dir);
    return dir;
}

// The program as the unprivileged user can start it: the build folder may lie
// where that user may not go, so a copy in the temporary folder is used; and
// that user's own data folder (XDG_DATA_HOME) beside it, since the tests'
// home belongs to the administrator. Both go with the test program.
struct UserCopy {
    std::filesystem::path folder;
    std::string path;
    std::string dataHome; // empty when the tests run as that user
};
inline const UserCopy& userCopy() {
    struct Copy : UserCopy {
        Copy() {
            if (!runAsNobody()) {
                path = TESSALYN_CLI_PATH;
                return;
            }
            folder = userReachableTemporaryFolder() /
                     ("tessalyn-cli-copy-" + std::to_string(::getpid()));
            std::filesystem::create_directories(folder);
            std::filesystem::permissions(folder, std::filesystem::perms(0755));
            const auto copy = folder / "tessalyn-cli";
            std::filesystem::copy_file(TESSALYN_CLI_PATH, copy,
                                       std::filesystem::copy_options::overwrite_existing);
            std::filesystem::permissions(copy, std::filesystem::perms(0755));
            path = copy.string();
            dataHome = (folder / "daten").string();
            std::filesystem::create_directories(dataHome);
            giveToUser(dataHome);
        }
        ~Copy() {
            if (!folder.empty()) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        }
    };
    static const Copy copy;
    return copy;
}
inline std::string cliPathForUser() {
    return userCopy().path;
}
// The data folder of the unprivileged user's processes: where the program
// keeps the old content of a history it rewrites in place.
inline std::string userDataHome() {
    const std::string& own = userCopy().dataHome;
    if (!own.empty()) {
        return own;
    }
    const char* xdg = std::getenv("XDG_DATA_HOME");
    return xdg != nullptr && xdg[0] == '/' ? xdg
                                           : std::string(std::getenv("HOME")) + "/.local/share";
}

struct CliRun {
    bool exited = false; // false: ended by a signal
    int rc = -1;
    std::string output; // standard output and standard error
};

struct CliOptions {
    bool asUser = false;    // as the unprivileged user
    int mask = -1;          // file-creation mask; -1 keeps the test's
    std::string outputFile; // where output goes (required)
};

// Where and how long the program may run.
struct CliSurroundings {
    std::string workingDirectory; // empty: the test's own ("/" for the user)
    // After this many seconds the program is ended by SIGALRM, so that a hang
    // fails the test instead of stopping the suite; 0: no limit.
    unsigned deadlineSeconds = 0;
};

// Starts tessalyn-cli with `args`; returns its process id.
inline pid_t startCli(const std::vector<std::string>& args, const CliOptions& options,
                      const CliSurroundings& surroundings = {}) {
    std::vector<std::string> command;
    if (options.asUser && runAsNobody()) {
        command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", cliPathForUser()};
    } else {
        command.push_back(TESSALYN_CLI_PATH);
    }
    command.insert(command.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A process group of its own, as a shell gives each job: a stopped
        // program is then never hung up because others of its group ended.
        ::setpgid(0, 0);
        const int out = ::open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) {
            ::_exit(99);
        }
        std::string folder = surroundings.workingDirectory;
        if (folder.empty() && options.asUser) {
            folder = "/";
        }
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            ::_exit(97);
        }
        // The alarm outlives exec: the program itself gets it.
        ::alarm(surroundings.deadlineSeconds);
        if (options.mask >= 0) {
            ::umask(static_cast<mode_t>(options.mask));
        }
        if (options.asUser && runAsNobody()) {
            ::setenv("XDG_DATA_HOME", userCopy().dataHome.c_str(), 1);
        }
        std::vector<char*> argv;
        for (std::string& a : command) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(98);
    }
    return pid;
}

inline CliRun waitForCli(pid_t pid, const std::string& outputFile) {
    CliRun run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status);
    run.rc = run.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.output = readBytes(outputFile);
    return run;
}

inline CliRun runCliProcess(const std::vector<std::string>& args, const CliOptions& options,
                            const CliSurroundings& surroundings = {}) {
    return waitForCli(startCli(args, options, surroundings), options.outputFile);
}

} // namespace tessalyn::test_support
