#include "ui/history/HistoryFiles.h"

#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "ui/history/MessageBoxHistoryReporter.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QDir>
#include <QFile>

namespace tessalyn {

namespace {

FileLayer*& layerSetting() {
    static FileLayer* layer = nullptr;
    return layer;
}

std::string& filingDateSetting() {
    static std::string date;
    return date;
}

std::chrono::milliseconds& lockWaitSetting() {
    static std::chrono::milliseconds wait{3000};
    return wait;
}

// A path of the operating system as the user reads it.
QString shownFileName(const std::string& path) {
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path)));
}

} // namespace

std::string historyFileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString historyChangeFailedText(const HistoryChangeResult& result, const QString& path,
                                const QString& consequence) {
    return toQString(historyChangeFailureText(result, fromQString(QDir::toNativeSeparators(path)),
                                              fromQString(consequence)));
}

QString historyReadFailedText(const CaseHistory& history, const QString& path) {
    return QStringLiteral("Die Fallhistorie %1 konnte nicht gelesen werden: %2.")
        .arg(QDir::toNativeSeparators(path), toQString(history.readError()));
}

void reportSaveNotice(const std::string& notice, QWidget* parent) {
    if (!notice.empty()) {
        MessageBoxes::warning(parent, toQString(notice));
    }
}

bool reportHistoryChange(const HistoryChangeResult& result, const QString& path,
                         const QString& consequence, QWidget* parent) {
    if (result.failed()) {
        MessageBoxes::error(parent, historyChangeFailedText(result, path, consequence));
        return false;
    }
    if (!result.backupPath.empty()) {
        MessageBoxes::information(
            parent, QStringLiteral("Die Fallhistorie %1 war fehlerhaft. Sie wurde vor dem "
                                   "Speichern unverändert als %2 aufbewahrt.")
                        .arg(QDir::toNativeSeparators(path), shownFileName(result.backupPath)));
    }
    reportSaveNotice(result.notice, parent);
    // A backup copy that could not be made did not stop the save; the user
    // learns of it once, and where the old content was kept while the file
    // was overwritten in place (in a folder that takes no backup).
    if (const std::string failure = takeHistoryBackupFailure(); !failure.empty()) {
        const QString kept =
            result.keptCopy.empty()
                ? QString()
                : QStringLiteral("\n\nWährend die Fallhistorie an Ort und Stelle überschrieben "
                                 "wurde, war ihr alter Inhalt in %1 aufbewahrt.")
                      .arg(shownFileName(result.keptCopy));
        MessageBoxes::warning(
            parent, QStringLiteral("Vor dem Speichern konnte keine Sicherungskopie der "
                                   "Fallhistorie angelegt werden:\n%1\n\nDie Änderung wurde "
                                   "trotzdem gespeichert.%2 Dieser Hinweis erscheint nur einmal.")
                        .arg(toQString(failure), kept));
    }
    return true;
}

void offerHistoryRestore(const QString& path, QWidget* parent) {
    const std::string file = historyFileName(path);
    const KeptCopyCheck check = checkKeptCopy(file, historyChangeOptions(path, nullptr));
    if (check.state != RewriteState::Interrupted ||
        !ConfirmDialog::ask(
            parent,
            QStringLiteral("Das Überschreiben der Fallhistorie %1 wurde unterbrochen; sie ist "
                           "unvollständig. Ihr Inhalt davor ist in %2 aufbewahrt.\n\nSoll die "
                           "Fallhistorie daraus wiederhergestellt werden? Ihr jetziger Inhalt "
                           "wird dabei ersetzt.")
                .arg(QDir::toNativeSeparators(path), shownFileName(check.keptCopy)),
            ConfirmDefault::No)) {
        return;
    }
    MessageBoxHistoryReporter reporter(parent);
    const HistoryChangeResult result =
        restoreHistoryFile(file, historyChangeOptions(path, &reporter));
    if (reportHistoryChange(result, path,
                            QStringLiteral("Die Fallhistorie wurde nicht wiederhergestellt."),
                            parent) &&
        result.saved()) {
        MessageBoxes::information(
            parent, QStringLiteral("Die Fallhistorie %1 hat wieder ihren Inhalt vor dem "
                                   "unterbrochenen Überschreiben.")
                        .arg(QDir::toNativeSeparators(path)));
    }
}

HistoryChangeOptions historyChangeOptions(const QString& path, HistoryReporter* reporter) {
    // The desktop program never loses the cases of a file with a syntax
    // error: it keeps the file's bytes in a copy and writes what it read.
    HistoryChangeOptions options(BrokenHistoryPolicy::KeepCopyAndRewrite);
    options.lockWait = lockWaitSetting();
    options.displayName = fromQString(QDir::toNativeSeparators(path));
    options.reporter = reporter;
    options.fileLayer = &historyFileLayer();
    return options;
}

FileLayer* setHistoryFileLayer(FileLayer* layer) {
    FileLayer* previous = layerSetting();
    layerSetting() = layer;
    return previous;
}

std::chrono::milliseconds setHistoryLockWait(std::chrono::milliseconds wait) {
    const std::chrono::milliseconds previous = lockWaitSetting();
    lockWaitSetting() = wait;
    return previous;
}

FileLayer& historyFileLayer() {
    return layerSetting() != nullptr ? *layerSetting() : systemFileLayer();
}

std::string historyFilingDate() {
    return filingDateSetting().empty() ? currentHistoryDate() : filingDateSetting();
}

std::string setHistoryFilingDate(std::string date) {
    std::string previous = std::move(filingDateSetting());
    filingDateSetting() = std::move(date);
    return previous;
}

} // namespace tessalyn
