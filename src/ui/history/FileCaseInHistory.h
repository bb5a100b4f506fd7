#pragma once

#include "case/CaseEntry.h"

#include <QString>

#include <span>
#include <string>

class QWidget;

namespace tessalyn {

// Files the case into the history at `historyPath`: a treatment dated now
// with the entries the evaluation did not add goes to the first case of that
// name (ignoring case) or to a new case at the end. The file is locked while
// it is read and rewritten, so filings of other program instances are kept.
// A syntax error of the file and a failing save are shown in message boxes
// over `parent`; returns whether the treatment reached the file.
bool fileCaseInHistory(const QString& historyPath, const std::string& name,
                       const std::string& comment, std::span<const CaseEntry> entries,
                       QWidget* parent);

} // namespace tessalyn
