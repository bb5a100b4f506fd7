// libFuzzer target for the companion's command line: the input, split at NUL
// bytes, is the list of arguments. Reading them must never throw (but for
// lack of memory), never read a file, and end either settled (help,
// version or a wrong call, said on the right stream) or with a command to run.
// A command to run gets its positional arguments byte for byte: everything
// after the first "--" always, and when no argument before it looks like an
// option, every argument after the command's name (and its subcommand's).
// Nothing typed is ever dropped: a command with a subcommand keeps no
// arguments of its own.
#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The count of read calls this process has made so far, from /proc/self/io;
// reading it costs the same calls each time. (Write calls are not counted:
// the sanitizers probe memory by writing to a pipe of their own.)
std::uint64_t readCalls() {
    char text[512];
    const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, text, sizeof text - 1);
    if (fd >= 0) {
        ::close(fd);
    }
    require(got > 0);
    text[got] = '\0';
    const char* count = std::strstr(text, "syscr: ");
    require(count != nullptr);
    return std::strtoull(count + 7, nullptr, 10);
}

// What reading the count twice in a row adds to it.
std::uint64_t countingCost() {
    const std::uint64_t first = readCalls();
    return readCalls() - first;
}

std::vector<std::string> splitArguments(std::string_view bytes) {
    std::vector<std::string> args;
    if (bytes.empty()) {
        return args;
    }
    for (;;) {
        const std::size_t nul = bytes.find('\0');
        args.emplace_back(bytes.substr(0, nul));
        if (nul == std::string_view::npos) {
            return args;
        }
        bytes.remove_prefix(nul + 1);
    }
}

bool looksLikeOption(const std::string& arg) {
    int ignored = 0;
    return arg.size() >= 2 && arg[0] == '-' && !cli::parseIntArgument(arg, ignored);
}

void checkRunner(const cli::ParsedCommandLine& call, const std::vector<std::string>& args) {
    require(static_cast<bool>(call.runner) && call.parser != nullptr);
    // The commands given, outermost first.
    std::vector<const CLI::App*> chain;
    for (const CLI::App* app = call.parser.get(); !app->get_subcommands().empty();) {
        app = app->get_subcommands().front();
        chain.push_back(app);
    }
    require(!chain.empty());
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        require(cli::positionals(*chain[i]).empty());
    }
    const std::vector<std::string> given = cli::positionals(*chain.back());
    if (chain.size() == 1) {
        require(given == call.args);
    }

    const auto mark = std::find(args.begin(), args.end(), "--");
    const std::vector<std::string> afterMark(mark == args.end() ? mark : mark + 1, args.end());
    require(given.size() >= afterMark.size() &&
            std::equal(afterMark.rbegin(), afterMark.rend(), given.rbegin()));

    if (std::any_of(args.begin(), mark, looksLikeOption)) {
        return;
    }
    std::vector<std::string> expected(args.begin(), mark);
    require(expected.size() >= chain.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        require(expected[i] == chain[i]->get_name());
    }
    expected.erase(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(chain.size()));
    expected.insert(expected.end(), afterMark.begin(), afterMark.end());
    require(given == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::uint64_t cost = countingCost();
    const std::vector<std::string> args =
        splitArguments(std::string_view(reinterpret_cast<const char*>(data), size));

    std::ostringstream out;
    std::ostringstream err;
    cli::ParsedCommandLine call;
    const std::uint64_t before = readCalls();
    try {
        call = cli::parseCommandLine(args, out, err);
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (...) {
        require(false);
    }
    require(readCalls() - before == cost);

    if (call.exitCode) {
        const std::string said = (*call.exitCode == cli::kExitOk ? out : err).str();
        const std::string silent = (*call.exitCode == cli::kExitOk ? err : out).str();
        require((*call.exitCode == cli::kExitOk || *call.exitCode == cli::kExitUsage) &&
                !said.empty() && silent.empty() && said.back() == '\n');
        require(*call.exitCode == cli::kExitOk || said.rfind("tessalyn-cli: ", 0) == 0);
        return 0;
    }
    require(out.str().empty() && err.str().empty());
    checkRunner(call, args);
    return 0;
}
