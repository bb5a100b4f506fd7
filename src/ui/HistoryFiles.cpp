#include "ui/HistoryFiles.h"

#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "ui/MessageBoxes.h"
#include "ui/TextCodec.h"

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
                        .arg(QDir::toNativeSeparators(path),
                             QDir::toNativeSeparators(
                                 QFile::decodeName(QByteArray::fromStdString(result.backupPath)))));
    }
    // A backup copy that could not be made did not stop the save; the user
    // learns of it once.
    if (const std::string failure = takeHistoryBackupFailure(); !failure.empty()) {
        MessageBoxes::warning(
            parent, QStringLiteral("Vor dem Speichern konnte keine Sicherungskopie der "
                                   "Fallhistorie angelegt werden:\n%1\n\nDie Änderung wurde "
                                   "trotzdem gespeichert. Dieser Hinweis erscheint nur einmal.")
                        .arg(toQString(failure)));
    }
    return true;
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
