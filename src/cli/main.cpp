#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const int rc = tessalyn::cli::runCli(argc, argv, std::cout, std::cerr);
    std::cout.flush();
    return rc;
}
