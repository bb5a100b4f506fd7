#include "ui/CaseKeeper.h"

#include "case/CaseState.h"
#include "history/SafeFile.h"
#include "ui/widgets/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace tessalyn {

namespace {

constexpr const char* kStateFileName = "aktueller-fall.txt";

QString keepFailedText(const std::string& reason) {
    return QStringLiteral("Der Fall kann nicht für den nächsten Start aufbewahrt werden: %1")
        .arg(toQString(reason));
}

} // namespace

CaseKeeper::CaseKeeper(const QString& path, Source source, QObject* parent)
    : QObject(parent), path_(path), source_(std::move(source)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kWriteDelayMs);
    connect(&timer_, &QTimer::timeout, this, &CaseKeeper::write);
}

void CaseKeeper::schedule() {
    if (enabled()) {
        pending_ = true;
        timer_.start();
    }
}

void CaseKeeper::flush() {
    if (pending_) {
        timer_.stop();
        write();
    }
}

void CaseKeeper::write() {
    Wanted wanted = source_();
    if (wanted.later) {
        timer_.start();
        return;
    }
    pending_ = false;
    FileLayer& files = systemFileLayer();
    const std::string path = QFile::encodeName(path_).toStdString();
    if (!wanted.snapshot) {
        if (!files.remove(path) && files.lastErrno() != ENOENT) {
            emit problem(keepFailedText(files.lastError()));
        }
        return;
    }
    std::string error;
    std::string notice;
    if (!makePrivateFolders(QFile::encodeName(QFileInfo(path_).absolutePath()).toStdString(),
                            error) ||
        !replaceFile(files, path, caseStateBytes(*wanted.snapshot), &error, &notice)) {
        emit problem(keepFailedText(error));
    } else if (!notice.empty()) {
        emit problem(toQString(notice));
    }
}

std::optional<CaseSnapshot> CaseKeeper::read(QString& problem) const {
    problem.clear();
    if (!enabled()) {
        return std::nullopt;
    }
    FileLayer& files = systemFileLayer();
    const std::string path = QFile::encodeName(path_).toStdString();
    // A write ended by a crash leaves its temporary file; the kept file
    // itself is whole, the old or the new one.
    removeLeftoverTemporaries(files, path);
    std::string bytes;
    std::string error;
    switch (readWholeFile(files, path, bytes, error)) {
    case FileReadOutcome::Missing:
        return std::nullopt;
    case FileReadOutcome::Failed:
        break;
    case FileReadOutcome::Read:
        if (std::optional<CaseSnapshot> kept = caseStateFromBytes(bytes, error)) {
            return kept;
        }
        break;
    }
    problem = QStringLiteral("Der zuletzt bearbeitete Fall lässt sich nicht wiederherstellen "
                             "(%1): %2")
                  .arg(QDir::toNativeSeparators(path_), toQString(error));
    return std::nullopt;
}

QString caseStatePathFor(const QString& xdgStateHome, const QString& home) {
    const QString base = QDir::isAbsolutePath(xdgStateHome)
                             ? xdgStateHome
                             : QDir(home).filePath(QStringLiteral(".local/state"));
    return QDir::cleanPath(base + QStringLiteral("/Korvanei/Tessalyn/") +
                           QString::fromLatin1(kStateFileName));
}

QString caseStatePath() {
    return caseStatePathFor(qEnvironmentVariable("XDG_STATE_HOME"), QDir::homePath());
}

} // namespace tessalyn
