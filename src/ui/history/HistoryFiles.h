#pragma once

#include "history/HistoryTransaction.h"

#include <QString>

#include <chrono>
#include <string>

class QWidget;

namespace tessalyn {

// The operating system's spelling of a path, as the history core opens it.
std::string historyFileName(const QString& path);

// The German message for a change of the history file at `path` that failed:
// it names the file, the reason and `consequence` ("Der Fall wurde nicht
// abgelegt."). Empty when nothing failed.
QString historyChangeFailedText(const HistoryChangeResult& result, const QString& path,
                                const QString& consequence);

// The German message for a history file at `path` that exists but could not
// be read into `history`: it names the file and the reason.
QString historyReadFailedText(const CaseHistory& history, const QString& path);

// Shows what the user must learn about a change of the history file at
// `path`: why it failed and what that means, or where a file that could not
// be read whole was kept before it was replaced, and its save notice.
// Returns whether the change did not fail.
bool reportHistoryChange(const HistoryChangeResult& result, const QString& path,
                         const QString& consequence, QWidget* parent);

// Shows `notice`, what a save that succeeded has to tell (the file lost the
// rights other users had on it: patients' data is for the practice only), as
// a warning over `parent`; nothing when it is empty. Every save of the user
// interface that writes patients' data reports its notice here.
void reportSaveNotice(const std::string& notice, QWidget* parent);

// When the rewrite in place of the history file at `path` stopped half-way
// and its old content is kept, asks whether to restore it ("&Nein" preset,
// since restoring replaces the file) and restores it on "&Ja", saying how
// that went.
void offerHistoryRestore(const QString& path, QWidget* parent);

// The options every change from the user interface uses: the wait for the
// lock, the display name, the error box for syntax errors and the file layer.
HistoryChangeOptions historyChangeOptions(const QString& path, HistoryReporter* reporter);

// For tests: the layer every save of the user interface goes through (the
// system's when null), and the longest wait for the history file's lock.
// Each returns the previous setting.
FileLayer* setHistoryFileLayer(FileLayer* layer);
std::chrono::milliseconds setHistoryLockWait(std::chrono::milliseconds wait);
// The layer set for saves, never null.
FileLayer& historyFileLayer();

// The date a new treatment is filed with: the current local time as
// "DD.MM.YYYY HH:MM", or the text a test has set.
std::string historyFilingDate();
// For tests: every filing from now on carries `date`; an empty text returns
// to the clock. Returns the previous setting.
std::string setHistoryFilingDate(std::string date);

} // namespace tessalyn
