// Filing, deleting and importing when the history file is in trouble: a
// folder in its place or in its lock's place, a file that cannot be read, a
// write-protected file, a full disk. Each is said in German, naming the file,
// the reason and what did not happen, and the program goes on.
#include "ui/UserDriving.h"
#include "ui/history/FileCaseInHistory.h"
#include "ui/history/HistoryDialog.h"
#include "ui/widgets/ConfirmDialog.h"

#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"
#include "history/RewriteJournal.h"
#include "settings/MemorySettingsStore.h"
#include "support/AskedOnce.h"
#include "support/ConfirmAnswer.h"
#include "support/FileBytes.h"
#include "support/MessageRecorder.h"
#include "support/QtFileBytes.h"
#include "support/SeamGuard.h"
#include "ui/history/HistoryFiles.h"
#include "ui/widgets/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace tessalyn;
using test_support::readBytes;

namespace {

// Reads fail with an I/O error, or writes find the disk full.
class FaultyDisk : public SystemFileLayer {
public:
    bool failReads = false;
    bool full = false;
    bool readAll(int handle, std::string& bytes) override {
        return failReads ? fail(EIO) : SystemFileLayer::readAll(handle, bytes);
    }
    bool write(int handle, const char* data, std::size_t size) override {
        return full ? fail(ENOSPC) : SystemFileLayer::write(handle, data, size);
    }
};

class HistoryFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("historie.xml"));
    }

    bool file(const std::string& name) {
        std::vector<CaseEntry> list;
        list.emplace_back(12, 0);
        return fileCaseInHistory(path, name, "", list, nullptr);
    }

    // Files, deletes the first case (when one is shown) and imports
    // `importFrom` in "Fallhistorie". Every line of `expected` must be met by
    // an error box holding all its parts, and no box may be anything else.
    void expectEachReported(const std::vector<QStringList>& expected, const QString& importFrom) {
        messages.clear();
        EXPECT_FALSE(file("Neu"));
        HistoryDialogContext context;
        context.historyPath = path;
        context.store = &store;
        context.askBeforeDelete = false;
        HistoryDialog d(context);
        if (d.tree()->topLevelItemCount() > 0) {
            d.tree()->setCurrentItem(d.tree()->topLevelItem(0));
            d.deleteSelected();
        }
        {
            const test_support::AskedOnce chosen(
                HistoryDialog::fileDialogTestHook(),
                [&](const HistoryFileRequest&) { return importFrom; });
            const test_support::ConfirmAnswer replace(true);
            d.importHistory();
        }
        const QStringList texts = messages.texts();
        for (const QStringList& parts : expected) {
            bool found = false;
            for (const QString& text : texts) {
                bool all = true;
                for (const QString& part : parts) {
                    all = all && text.contains(part);
                }
                found = found || all;
            }
            EXPECT_TRUE(found) << parts.join(QStringLiteral(" | ")).toStdString() << "\nin\n"
                               << texts.join(QStringLiteral("\n---\n")).toStdString();
        }
        for (const test_support::MessageRecorder::Message& m : messages.messages()) {
            EXPECT_EQ(m.kind, MessageBoxes::Kind::Error) << m.text.toStdString();
        }
    }

    QString source() {
        const QString other = dir.filePath(QStringLiteral("andere.xml"));
        CaseHistory h;
        h.setFileName(historyFileName(other));
        h.fileCase("Importiert", "", std::vector<FilingEntry>(), "01.01.2026 10:00");
        EXPECT_TRUE(h.save());
        return other;
    }

    QTemporaryDir dir;
    QString path;
    MemorySettingsStore store;
    test_support::MessageRecorder messages;
    FaultyDisk disk;
    const test_support::SeamGuard<FileLayer*, FileLayer*> faultyDisk{setHistoryFileLayer, &disk};
    const test_support::SeamGuard<std::chrono::milliseconds, std::chrono::milliseconds> shortWait{
        setHistoryLockWait, std::chrono::milliseconds(50)};
    const test::FilingDate filingDate{"07.12.2026 10:00"};
};

const QString kNotFiled = QStringLiteral("Der Fall wurde nicht abgelegt.");
const QString kNotImported = QStringLiteral("Die Fallhistorie wurde nicht importiert.");

} // namespace

TEST_F(HistoryFaultsTest, AFolderInThePlaceOfTheHistory) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("historie.xml")));
    const QString imported = source();
    expectEachReported({{path, QStringLiteral("ist ein Ordner"), kNotFiled},
                        {path, QStringLiteral("ist ein Ordner"), kNotImported}},
                       imported);
    EXPECT_TRUE(QDir(path).isEmpty());
}

TEST_F(HistoryFaultsTest, AFolderInThePlaceOfTheLockFile) {
    ASSERT_TRUE(file("Alt"));
    const QByteArray before = readBytes(path);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("historie.xml.lock")));
    expectEachReported({{path + QStringLiteral(".lock"), QStringLiteral("Ordner"), kNotFiled},
                        {path + QStringLiteral(".lock"), QStringLiteral("Ordner"),
                         QStringLiteral("Der Fall wurde nicht gelöscht.")},
                        {path + QStringLiteral(".lock"), kNotImported}},
                       source());
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(HistoryFaultsTest, AHistoryThatCannotBeRead) {
    ASSERT_TRUE(file("Alt"));
    const QByteArray before = readBytes(path);
    disk.failReads = true;
    expectEachReported({{path, QStringLiteral("konnte nicht gelesen werden"),
                         QStringLiteral("Ein-/Ausgabefehler"), kNotFiled},
                        {path, QStringLiteral("Ein-/Ausgabefehler"), kNotImported}},
                       source());
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(HistoryFaultsTest, AWriteProtectedHistory) {
    ASSERT_TRUE(file("Alt"));
    const QByteArray before = readBytes(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    expectEachReported({{path, QStringLiteral("schreibgeschützt"), kNotFiled},
                        {path, QStringLiteral("schreibgeschützt"),
                         QStringLiteral("Der Fall wurde nicht gelöscht.")},
                        {path, QStringLiteral("schreibgeschützt"), kNotImported}},
                       source());
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(HistoryFaultsTest, AFullDisk) {
    ASSERT_TRUE(file("Alt"));
    const QByteArray before = readBytes(path);
    disk.full = true;
    expectEachReported({{path, QStringLiteral("kein Platz mehr auf dem Datenträger"), kNotFiled},
                        {path, QStringLiteral("kein Platz mehr"),
                         QStringLiteral("Der Fall wurde nicht gelöscht.")},
                        {path, QStringLiteral("kein Platz mehr"), kNotImported}},
                       source());
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"andere.xml", "historie.xml"}));
}

TEST_F(HistoryFaultsTest, AMessageAboutAChangeWaitsUntilItsLockIsReleased) {
    // A syntax error found while filing: while its box waits for the user,
    // every other program may change the history.
    {
        QFile broken(path);
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("<Fallhistorie AnzahlFaelle=\"1\">\r\n\t<Fall Name=\"Alt\"");
    }
    int shown = 0;
    messages.setWatcher([&](const test_support::MessageRecorder::Message&) {
        ++shown;
        HistoryFileLock other(historyFileName(path));
        EXPECT_TRUE(other.tryLock()) << other.error();
    });
    EXPECT_TRUE(file("Neu"));
    EXPECT_GE(shown, 1);
}

TEST_F(HistoryFaultsTest, AHistoryWhoseRewriteStoppedHalfWayIsOfferedForRestoration) {
    ASSERT_TRUE(file("Alt"));
    const std::string name = historyFileName(path);
    const std::string oldBytes = readBytes(name);
    CaseHistory later(name);
    later.fileCase("Abgebrochen", "", std::vector<FilingEntry>(), "08.12.2026 10:00");
    const std::string newBytes = later.fileBytes();
    // What a rewrite in place killed half-way leaves behind.
    std::string error;
    const std::string kept =
        keepBeforeRewrite(systemFileLayer(), realFilePath(name), oldBytes, newBytes, error);
    ASSERT_FALSE(kept.empty()) << error;
    const std::string halfWay = newBytes.substr(0, newBytes.size() / 2);
    test_support::writeBytes(name, halfWay);

    {
        // "Nein": nothing is replaced, and the filing says why it was not made.
        const test_support::ConfirmAnswer no(false);
        messages.clear();
        EXPECT_FALSE(file("Neu"));
        ASSERT_EQ(no.questions().size(), 1);
        EXPECT_TRUE(no.questions()[0].contains(QStringLiteral("unterbrochen")))
            << no.questions()[0].toStdString();
        EXPECT_TRUE(no.questions()[0].contains(QFile::decodeName(kept.c_str())));
        EXPECT_EQ(readBytes(name), halfWay);
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("unterbrochen")));
        EXPECT_TRUE(messages.texts()[0].contains(kNotFiled));
    }
    {
        // "Ja" on opening the history: the old content is back, the broken
        // bytes kept beside it.
        const test_support::ConfirmAnswer yes(true);
        HistoryDialogContext context;
        context.historyPath = path;
        context.store = &store;
        HistoryDialog d(context);
        EXPECT_EQ(yes.questions().size(), 1);
        EXPECT_EQ(readBytes(name), oldBytes);
        EXPECT_EQ(readBytes(name + ".defekt"), halfWay);
        EXPECT_FALSE(std::filesystem::exists(kept));
        ASSERT_EQ(d.tree()->topLevelItemCount(), 1);
        EXPECT_EQ(d.tree()->topLevelItem(0)->text(0), QStringLiteral("Alt"));
    }
    const test_support::ConfirmAnswer unasked(false);
    EXPECT_TRUE(file("Neu"));
    EXPECT_TRUE(unasked.questions().isEmpty());
}
