#pragma once

#include "case/CaseSnapshot.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace tessalyn {

// Keeps the case on screen in a file of the user's own (CaseState.h) so that
// quitting, a crash or a killed process never loses a case that is not filed:
// every change is written shortly after it happened, through a temporary
// file renamed into place, into a folder only the user may enter. The file is
// removed when there is nothing to keep (an empty case, a filed one).
// Without a path nothing is kept.
class CaseKeeper : public QObject {
    Q_OBJECT

public:
    // How long after a change the file is written; later changes in that
    // time restart the wait, so a burst of typing is one write.
    static constexpr int kWriteDelayMs = 500;

    // What is to be kept now.
    struct Wanted {
        bool later = false;                   // the case is in the middle of a change
        std::optional<CaseSnapshot> snapshot; // none: nothing to keep, the file goes
    };
    using Source = std::function<Wanted()>;

    CaseKeeper(const QString& path, Source source, QObject* parent = nullptr);

    const QString& path() const { return path_; }
    bool enabled() const { return !path_.isEmpty(); }

    // The case changed: written after kWriteDelayMs.
    void schedule();
    // Whether a change is not written yet.
    bool pending() const { return pending_; }
    // Writes a change not written yet at once (quitting).
    void flush();
    QTimer& timer() { return timer_; }

    // The case the file keeps; `problem` (German) names the file and why it
    // could not be read when it exists but holds no case, empty otherwise.
    std::optional<CaseSnapshot> read(QString& problem) const;

signals:
    // A write failed, or succeeded with something the user should learn.
    void problem(const QString& text);

private:
    void write();

    QString path_;
    Source source_;
    QTimer timer_;
    bool pending_ = false;
};

// Where the case on screen is kept for the user: "Korvanei/Tessalyn" in the
// user's state folder, which is `xdgStateHome` when that is an absolute path,
// else ".local/state" in `home`.
QString caseStatePathFor(const QString& xdgStateHome, const QString& home);
// The same for the environment of this process.
QString caseStatePath();

} // namespace tessalyn
