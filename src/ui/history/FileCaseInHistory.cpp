#include "ui/history/FileCaseInHistory.h"

#include "history/CaseHistory.h"
#include "ui/history/HistoryFiles.h"
#include "ui/history/MessageBoxHistoryReporter.h"

namespace tessalyn {

bool fileCaseInHistory(const QString& historyPath, const std::string& name,
                       const std::string& comment, std::span<const CaseEntry> entries,
                       QWidget* parent) {
    offerHistoryRestore(historyPath, parent);
    MessageBoxHistoryReporter reporter(parent);
    const HistoryChangeResult result = changeHistoryFile(
        historyFileName(historyPath),
        [&](CaseHistory& history, bool) {
            history.fileCase(name, comment, entries, historyFilingDate());
            return true;
        },
        historyChangeOptions(historyPath, &reporter));
    return reportHistoryChange(result, historyPath,
                               QStringLiteral("Der Fall wurde nicht abgelegt."), parent) &&
           result.saved();
}

} // namespace tessalyn
