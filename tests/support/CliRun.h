#pragma once

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace tessalyn::test_support {

// What a run of the companion gave back.
struct CliOutcome {
    int rc = -1;
    std::string out;
    std::string err;
};

// Runs the companion in this process as main() would, with `args` after the
// program name. (CliProcess.h runs it as a process of its own.)
inline CliOutcome runCli(std::vector<std::string> args) {
    args.insert(args.begin(), "tessalyn-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    std::ostringstream out;
    std::ostringstream err;
    CliOutcome r;
    r.rc = cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace tessalyn::test_support
