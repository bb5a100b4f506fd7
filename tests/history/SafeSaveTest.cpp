#include "history/CaseHistory.h"
#include "history/SafeFile.h"
#include "support/FileBytes.h"
#include "support/HistoryFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessalyn;
using test_support::kNoEntries;
using test_support::readBytes;

namespace {

// The real file system with one step made to fail. A failing write first
// writes half of its bytes, as a full disk does.
class FailingLayer : public SystemFileLayer {
public:
    enum class Step { None, Create, Write, Sync, Close, Rename };
    explicit FailingLayer(Step step) : step_(step) {}

    int createTemporary(const std::string& target, std::string& temporaryPath) override {
        if (step_ == Step::Create) {
            return -1;
        }
        const int handle = SystemFileLayer::createTemporary(target, temporaryPath);
        temporary_ = temporaryPath;
        return handle;
    }
    bool write(int handle, const char* data, std::size_t size) override {
        if (step_ == Step::Write) {
            SystemFileLayer::write(handle, data, size / 2);
            return false;
        }
        return SystemFileLayer::write(handle, data, size);
    }
    bool sync(int handle) override { return step_ != Step::Sync && SystemFileLayer::sync(handle); }
    bool close(int handle) override {
        const bool closed = SystemFileLayer::close(handle);
        return step_ != Step::Close && closed;
    }
    bool rename(const std::string& from, const std::string& to) override {
        return step_ != Step::Rename && SystemFileLayer::rename(from, to);
    }

    const std::string& temporary() const { return temporary_; }

private:
    Step step_;
    std::string temporary_;
};

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        path_ = (dir_ / "historie.xml").string();
    }

    // A history file with a few cases, saved the ordinary way.
    CaseHistory existingHistory() {
        CaseHistory h(path_);
        for (int i = 0; i < 50; ++i) {
            h.fileCase("Fall " + std::to_string(i), "Kommentar", std::vector<FilingEntry>(40),
                       "01.01.2026 10:00");
        }
        EXPECT_TRUE(h.save());
        return h;
    }

    int filesInFolder() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) {
            ++n;
        }
        return n;
    }

    test_support::TempFolder temp_{"tessalyn-safe-save"};
    std::filesystem::path dir_;
    std::string path_;
};

} // namespace

TEST_F(SafeSave, EveryFailingStepLeavesTheOldFileByteIdentical) {
    using Step = FailingLayer::Step;
    for (Step step : {Step::Create, Step::Write, Step::Sync, Step::Close, Step::Rename}) {
        CaseHistory h = existingHistory();
        const std::string before = readBytes(path_);
        ASSERT_FALSE(before.empty());

        FailingLayer layer(step);
        h.setFileLayer(layer);
        h.fileCase("Neu", "geht verloren", kNoEntries, "02.01.2026 10:00");
        EXPECT_FALSE(h.save()) << static_cast<int>(step);
        EXPECT_FALSE(h.saveAs(path_)) << static_cast<int>(step);
        EXPECT_EQ(readBytes(path_), before) << static_cast<int>(step);
        // No temporary file is left behind.
        EXPECT_EQ(filesInFolder(), 1) << static_cast<int>(step);
        if (step != Step::Create) {
            EXPECT_FALSE(layer.temporary().empty());
            EXPECT_FALSE(std::filesystem::exists(layer.temporary()));
        }
    }
}

TEST_F(SafeSave, SuccessReplacesTheWholeFileAndKeepsItsRights) {
    existingHistory();
    ::chmod(path_.c_str(), 0640);
    CaseHistory h;
    h.setFileName(path_);
    h.fileCase("Einzig", "", kNoEntries, "01.01.2026 10:00");
    ASSERT_TRUE(h.save());
    EXPECT_EQ(readBytes(path_), h.fileBytes());
    EXPECT_EQ(filesInFolder(), 1);
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SafeSave, SavingThroughALinkReplacesTheTarget) {
    const std::string target = (dir_ / "echt.xml").string();
    std::ofstream(target) << "alt";
    std::filesystem::create_symlink(target, path_);
    CaseHistory h;
    h.setFileName(path_);
    ASSERT_TRUE(h.save());
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(readBytes(target), h.fileBytes());
}

TEST_F(SafeSave, UnwritablePlacesReportFailure) {
    CaseHistory h;
    h.fileCase("A", "", kNoEntries, "01.01.2026 10:00");
    EXPECT_FALSE(h.saveAs((dir_ / "fehlt" / "historie.xml").string()));
    EXPECT_NE(h.saveError().find("fehlt"), std::string::npos) << h.saveError();
    EXPECT_FALSE(h.save()); // no file name
    // saveAs leaves the history's own file name alone.
    h.setFileName(path_);
    ASSERT_TRUE(h.saveAs((dir_ / "export.xml").string()));
    EXPECT_EQ(h.fileName(), path_);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(saveFailedMessage("/x/historie.xml"),
              "Die Fallhistorie konnte nicht gespeichert werden: /x/historie.xml");
}

TEST(FileErrorText, TheErrorsOfFileOperationsAreSaidInGerman) {
    const std::vector<std::pair<int, std::string>> errors = {
        {ENXIO, "kein Ger\xE4t oder Programm am anderen Ende (etwa eine FIFO ohne Leser)"},
        {ENODEV, "das Ger\xE4t unterst\xFCtzt das nicht"},
        {EINVAL, "ung\xFCltiger Name oder ung\xFCltige Angabe"},
        {EAGAIN, "vor\xFC"
                 "bergehend nicht m\xF6glich, sp\xE4ter erneut versuchen"},
        {EOPNOTSUPP, "vom Dateisystem nicht unterst\xFCtzt"},
        {ESPIPE, "keine gew\xF6hnliche Datei (etwa eine FIFO)"},
        {EPIPE, "das Gegen\xFC"
                "ber hat die Verbindung geschlossen"},
        {EXDEV, "Quelle und Ziel liegen auf verschiedenen Datentr\xE4gern"},
        {EMLINK, "zu viele Verkn\xFCpfungen"},
        {ENOTEMPTY, "der Ordner ist nicht leer"},
        {ESTALE, "die Datei im Netzlaufwerk ist nicht mehr g\xFCltig"},
        {ETIMEDOUT, "Zeit\xFC"
                    "berschreitung"},
        {EINTR, "unterbrochen"},
        {EFAULT, "ung\xFCltige Adresse"},
        {EROFS, "der Datentr\xE4ger ist schreibgesch\xFCtzt"},
        // An error without a text of its own: its number, no English.
        {EBADMSG, "Systemfehler " + std::to_string(EBADMSG)},
        {4711, "Systemfehler 4711"},
    };
    for (const auto& [error, text] : errors) {
        EXPECT_EQ(fileErrorText(error), text) << std::strerror(error);
    }
}
