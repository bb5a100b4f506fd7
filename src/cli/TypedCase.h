#pragma once

#include "case/Case.h"
#include "case/CaseGrid.h"
#include "cli/Cli.h"

#include <memory>
#include <string>
#include <vector>

namespace tessalyn::cli {

// Builds `theCase` as a user does who types each entry (UTF-8, as given on the
// command line: "12", "-40", "12+34", "12 BD 3") into the input row of the
// symptom list, under the given polarity mode. Throws UsageError for a text
// the code page cannot hold or when the entries need more rows than a case
// has, before anything is typed. Returns the grid, which evaluates the case.
std::unique_ptr<CaseGrid> typeCase(const Context& ctx, Case& theCase, PolarityMode mode,
                                   const std::vector<std::string>& entries);

} // namespace tessalyn::cli
