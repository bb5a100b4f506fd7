// `tessalyn-cli history` as whole processes on real files, links and rights:
// unreadable histories are never replaced, odd files are reported without a
// crash, read-only folders, protected files and links are respected, the
// rights of what the program writes stay private, and patients' data never
// goes into a file other users can open.
#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "support/CliProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessalyn;
using namespace tessalyn::test_support;

namespace {

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

class HistoryFaultCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshUserTestFolder("tessalyn-fault-cli");
        std::filesystem::create_directories(dir_ + "/p");
        // The folder of the files is the user's; the output lies beside it.
        giveToUser(dir_ + "/p");
        file_ = dir_ + "/p/historie.xml";
    }
    void TearDown() override {
        ::chmod((dir_ + "/p").c_str(), 0755);
        std::filesystem::remove_all(dir_);
    }

    CliRun cli(const std::vector<std::string>& args, bool asUser = true, int mask = -1) {
        return runCliProcess(args, {asUser, mask, dir_ + "/out.txt"});
    }
    CliRun add(const std::string& file, const std::string& name, bool asUser = true,
               int mask = -1) {
        return cli({"history", "add", file, "--date", "01.02.2026 10:00", name, "", "12"}, asUser,
                   mask);
    }

    // A history of the user with one case "Alt".
    std::string existing() {
        EXPECT_EQ(add(file_, "Alt").rc, 0);
        return readBytes(file_);
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_ + "/p")) {
            // The backup copies' folder is meant to be there.
            if (e.path().filename() != HistoryBackup::kFolderName) {
                names.push_back(e.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir_;
    std::string file_;
};

void expectReported(const CliRun& run, const std::string& part) {
    EXPECT_TRUE(run.exited) << run.output; // never an abort
    EXPECT_EQ(run.rc, 1) << run.output;
    EXPECT_NE(run.output.find(part), std::string::npos) << run.output;
}

} // namespace

TEST_F(HistoryFaultCli, AnUnreadableHistoryIsReportedAndNeverReplaced) {
    const std::string before = existing();
    // Left by a filing as another user (root here), or made unreadable.
    if (runAsNobody()) {
        ASSERT_EQ(::chown(file_.c_str(), 0, 0), 0);
    } else {
        ASSERT_EQ(::chmod(file_.c_str(), 0), 0);
    }
    const std::string target = dir_ + "/p/export.xml";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"history", "add", file_, "Neu", "", "1"},
                                               {"history", "remove", file_, "Alt"},
                                               {"history", "show", file_},
                                               {"history", "export", file_, target}}) {
        const CliRun run = cli(args);
        expectReported(run, "Die Fallhistorie " + file_ +
                                " konnte nicht gelesen werden: keine "
                                "Berechtigung");
        EXPECT_EQ(run.output.find("Alt"), std::string::npos) << run.output;
    }
    EXPECT_EQ(add(file_, "Neu").output,
              "tessalyn-cli: Die Fallhistorie " + file_ +
                  " konnte nicht gelesen werden: keine Berechtigung. Sie bleibt unverändert. Der "
                  "Fall wurde nicht abgelegt.\n");
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(entries(), std::vector<std::string>{"historie.xml"});
}

TEST_F(HistoryFaultCli, FoldersInThePlaceOfTheHistoryOrItsLockAreReportedWithoutACrash) {
    std::filesystem::create_directory(file_);
    expectReported(add(file_, "Neu"), "ist ein Ordner");
    expectReported(cli({"history", "remove", file_, "Alt"}), "ist ein Ordner");
    expectReported(cli({"history", "show", file_}), "ist ein Ordner");
    std::filesystem::remove(file_);

    const std::string before = existing();
    std::filesystem::create_directory(file_ + ".lock");
    const CliRun run = add(file_, "Neu");
    expectReported(run, "Sperrdatei " + file_ + ".lock steht ein Ordner");
    EXPECT_NE(run.output.find("Der Fall wurde nicht abgelegt."), std::string::npos);
    expectReported(cli({"history", "remove", file_, "Alt"}), "Der Fall wurde nicht gelöscht.");
    EXPECT_EQ(readBytes(file_), before);
}

TEST_F(HistoryFaultCli, AReadOnlyFolderWithAWritableHistoryStillFiles) {
    existing();
    const ino_t inode = statOf(file_).st_ino;
    // The folder: the administrator's where the tests run as root, else
    // write-protected.
    if (runAsNobody()) {
        ASSERT_EQ(::chown((dir_ + "/p").c_str(), 0, 0), 0);
    } else {
        ASSERT_EQ(::chmod((dir_ + "/p").c_str(), 0555), 0);
    }
    const CliRun run = add(file_, "Neu");
    EXPECT_EQ(run.rc, 0) << run.output;
    const CaseHistory after(file_);
    ASSERT_EQ(after.caseCount(), 2u);
    EXPECT_EQ(after.cases()[1]->name, "Neu");
    EXPECT_EQ(statOf(file_).st_ino, inode); // written in place
    EXPECT_EQ(statOf(file_).st_uid, userId());
    EXPECT_EQ(entries(), std::vector<std::string>{"historie.xml"});

    // A link in the place of the lock file that the folder does not let go
    // is refused at once instead of being followed to the history.
    const auto writable = [&](bool on) {
        std::filesystem::permissions(dir_ + "/p", std::filesystem::perms::owner_write,
                                     on ? std::filesystem::perm_options::add
                                        : std::filesystem::perm_options::remove);
    };
    writable(true);
    std::filesystem::create_symlink(file_, file_ + ".lock");
    writable(false);
    const std::string before = readBytes(file_);
    expectReported(add(file_, "Neu"), "Die Sperrdatei " + file_ +
                                          ".lock ist eine symbolische Verknüpfung und lässt "
                                          "sich nicht durch eine neue ersetzen");
    EXPECT_EQ(readBytes(file_), before);
    writable(true);
    std::filesystem::remove(file_ + ".lock");
    writable(false);

    // No history yet in such a folder: said, not pretended.
    std::filesystem::remove(file_);
    expectReported(add(file_, "Neu"), "lassen sich keine Dateien anlegen");
}

TEST_F(HistoryFaultCli, AWriteProtectedHistoryStaysAndTheUserLearnsWhy) {
    const std::string before = existing();
    ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
    for (const bool asUser : {true, false}) {
        const CliRun run = add(file_, "Neu", asUser);
        expectReported(run, "schreibgeschützt");
        EXPECT_NE(run.output.find("Der Fall wurde nicht abgelegt."), std::string::npos);
    }
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(statOf(file_).st_mode & 07777, 0444u);
}

TEST_F(HistoryFaultCli, ADanglingLinkIsFollowedAndStays) {
    std::filesystem::create_directory(dir_ + "/p/daten");
    giveToUser(dir_ + "/p/daten");
    std::filesystem::create_symlink("daten/echt.xml", file_);
    EXPECT_EQ(add(file_, "Erst").rc, 0);
    EXPECT_EQ(add(dir_ + "/p/daten/echt.xml", "Zweit").rc, 0);
    EXPECT_EQ(add(file_, "Dritt").rc, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(CaseHistory(dir_ + "/p/daten/echt.xml").caseCount(), 3u);
}

TEST_F(HistoryFaultCli, FilesTheProgramMakesArePrivateAndExistingOnesKeepModeAndOwner) {
    // Whatever the file-creation mask: the new history and the exported copy.
    EXPECT_EQ(add(file_, "Neu", true, 0).rc, 0);
    EXPECT_EQ(statOf(file_).st_mode & 07777, 0600u);
    const std::string exported = dir_ + "/p/export.xml";
    EXPECT_EQ(cli({"history", "export", file_, exported}, true, 0).rc, 0);
    EXPECT_EQ(statOf(exported).st_mode & 07777, 0600u);

    // Shared with the group by its owner: stays so, whoever files.
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    EXPECT_EQ(add(file_, "Zweit", false, 0).rc, 0);
    EXPECT_EQ(statOf(file_).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(file_).st_uid, userId());
    EXPECT_EQ(statOf(file_).st_gid, groupId());
    // So the user can go on filing after the administrator did.
    EXPECT_EQ(add(file_, "Dritt").rc, 0);
    EXPECT_EQ(CaseHistory(file_).caseCount(), 3u);
}

TEST_F(HistoryFaultCli, LeftoversOfKilledSavesGoWithTheNextSave) {
    existing();
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    waitpid(ended, nullptr, 0);
    const std::string left = file_ + ".tmp-" + std::to_string(ended) + "-1";
    std::ofstream(left) << readBytes(file_);
    giveToUser(left);
    EXPECT_EQ(add(file_, "Neu").rc, 0);
    EXPECT_EQ(entries(), std::vector<std::string>{"historie.xml"});
}

TEST_F(HistoryFaultCli, ANameAtTheFileSystemsLimitSaves) {
    const long limit = ::pathconf((dir_ + "/p").c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 40);
    const std::string longName =
        dir_ + "/p/" + std::string(static_cast<std::size_t>(limit) - 4, 'x') + ".xml";
    EXPECT_EQ(add(longName, "Erst").rc, 0);
    const CliRun run = add(longName, "Zweit");
    EXPECT_EQ(run.rc, 0) << run.output;
    EXPECT_EQ(CaseHistory(longName).caseCount(), 2u);
    EXPECT_EQ(entries().size(), 1u);
}

TEST_F(HistoryFaultCli, PatientDataGoesOnlyIntoFilesOtherUsersCannotOpen) {
    // "Another user" is the administrator running the tests, or, for the
    // administrator filing, the unprivileged user.
    if (!runAsNobody()) {
        GTEST_SKIP() << "needs two users: run the tests as root";
    }
    const std::string shared = dir_ + "/geteilt.xml"; // the administrator's folder
    const std::string exported = dir_ + "/p/export.xml";
    const auto makeFile = [](const std::string& path, mode_t mode, bool users) {
        std::ofstream(path).close();
        ::chmod(path.c_str(), mode);
        if (users) {
            giveToUser(path);
        }
    };
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<std::string> args;
        bool asUser;
        // Exit code, and the file that must be as it was (refused) or
        // have lost the rights for others (saved), with its mode afterwards.
        int rc;
        std::string file;
        mode_t mode;
        std::vector<std::string> said;
    };
    const std::vector<std::string> addArgs = {
        "history", "add", file_, "--date", "01.02.2026 10:00", "Erika Muster", "vertraulich", "12"};
    const std::vector<Case> cases = {
        {"another user's empty history open to all",
         [&] { makeFile(file_, 0666, false); },
         addArgs,
         true,
         1,
         file_,
         0666,
         {"Die Fallhistorie konnte nicht gespeichert werden: " + file_ + ". " + file_ +
          " gehört dem Benutzer root und ist auch für andere Benutzer zugänglich "
          "(Zugriffsrechte 666); Patientendaten werden nicht hineingeschrieben. Bitte lassen "
          "Sie den Benutzer root die Rechte für andere entfernen (chmod o-rwx " +
          file_ + ") oder wählen Sie eine andere Datei. Der Fall wurde nicht abgelegt.\n"}},
        {"a link to such a file",
         [&] {
             makeFile(shared, 0666, false);
             std::filesystem::create_symlink(shared, file_);
             giveToUser(file_);
         },
         addArgs,
         true,
         1,
         shared,
         0666,
         {"chmod o-rwx " + shared + ")"}},
        {"the administrator and the user's history open to all",
         [&] { makeFile(file_, 0606, true); },
         addArgs,
         false,
         1,
         file_,
         0606,
         {"gehört dem Benutzer nobody", "Der Fall wurde nicht abgelegt."}},
        {"an export onto another user's file open to all",
         [&] {
             existing();
             makeFile(exported, 0666, false);
         },
         {"history", "export", file_, exported},
         true,
         1,
         exported,
         0666,
         {"chmod o-rwx " + exported + ")"}},
        {"the user's own history open to others",
         [&] { makeFile(file_, 0644, true); },
         addArgs,
         true,
         0,
         file_,
         0640,
         {"tessalyn-cli: Warnung: " + file_ +
          " war auch für andere Benutzer zugänglich (Zugriffsrechte 644). Da sie "
          "Patientendaten enthält, wurden diese Rechte beim Speichern entfernt (jetzt 640).\n"}},
        {"the same, written in place in a folder that takes no new file",
         [&] {
             makeFile(file_, 0666, true);
             ASSERT_EQ(::chown((dir_ + "/p").c_str(), 0, 0), 0);
         },
         addArgs,
         true,
         0,
         file_,
         0660,
         {"(Zugriffsrechte 666)", "(jetzt 660)"}},
        {"an export onto the user's own file open to others",
         [&] {
             existing();
             makeFile(exported, 0604, true);
         },
         {"history", "export", file_, exported},
         true,
         0,
         exported,
         0600,
         {"tessalyn-cli: Warnung: " + exported + " war auch"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::chown((dir_ + "/p").c_str(), userId(), groupId());
        for (const auto& e : std::filesystem::directory_iterator(dir_ + "/p")) {
            std::filesystem::remove_all(e.path());
        }
        std::filesystem::remove(shared);
        c.prepare();
        const std::string before = readBytes(c.file);
        const CliRun run = cli(c.args, c.asUser);
        EXPECT_EQ(run.rc, c.rc) << run.output;
        for (const std::string& part : c.said) {
            EXPECT_NE(run.output.find(part), std::string::npos) << run.output;
        }
        EXPECT_EQ(statOf(c.file).st_mode & 07777, c.mode);
        if (c.rc != 0) {
            // Nothing written anywhere: no content, no backup copy.
            EXPECT_EQ(readBytes(c.file), before);
            EXPECT_FALSE(std::filesystem::exists(dir_ + "/p/" + HistoryBackup::kFolderName));
            continue;
        }
        EXPECT_NE(readBytes(c.file), before);
        // Told once: the file keeps no rights for others to lose.
        const CliRun again = cli(c.args, c.asUser);
        EXPECT_EQ(again.rc, 0) << again.output;
        EXPECT_EQ(again.output.find("Zugriffsrechte"), std::string::npos) << again.output;
    }
}
