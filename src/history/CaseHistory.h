#pragma once

#include "case/CaseEntry.h"
#include "data/RepertoryData.h"
#include "history/HistoryReporter.h"
#include "history/SafeFile.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace tessalyn {

class ByteSource;

// One filing of a case: when, why, and the symptoms the case held then.
struct Treatment {
    std::string date;           // "DD.MM.YYYY HH:MM" of local time; stored as text, never validated
    std::string comment;        // line breaks are CR LF
    std::int32_t preferred = 0; // carried unchanged from the file
    std::vector<SymptomRef> symptoms;
};

// A case of the history: its name and its treatments in filing order.
struct FiledCase {
    std::string name;
    std::vector<std::unique_ptr<Treatment>> treatments;
};

// One entry of the case being filed: its own number and BD value (rubrics
// chained to it with "+" are not filed) and whether the evaluation added it.
struct FilingEntry {
    SymptomRef ref;
    bool autoAdded = false;
};

enum class HistoryLoadStatus {
    Ok,          // the whole file was read
    NoFile,      // missing or empty: an empty history, no message
    SyntaxError, // reported once; the cases read whole before the error remain
    OtherError,  // no message; the cases read whole before the error remain
    ReadError,   // the file exists but could not be read (readError() says why): no cases
};

// The in-memory form of a history file ("historie.xml"). Every user loads it
// from the file, works on it and writes the whole file back at once.
class CaseHistory {
public:
    // An empty history without a file.
    CaseHistory() = default;
    // Loads `fileName`; a syntax error goes to `reporter` when one is given.
    explicit CaseHistory(const std::string& fileName, HistoryReporter* reporter = nullptr);

    CaseHistory(CaseHistory&&) noexcept = default;
    CaseHistory& operator=(CaseHistory&&) noexcept = default;

    // Starts afresh with `fileName` as the file and reads it. Error texts name
    // `displayName` when it is given (a path in the program's code page while
    // `fileName` is the operating system's spelling), else `fileName`.
    void load(const std::string& fileName, HistoryReporter* reporter = nullptr,
              const std::string& displayName = std::string());
    // The same over bytes in memory; `fileName` is used by save() and, unless
    // `displayName` is given, in error texts.
    void loadBytes(std::string_view bytes, const std::string& fileName,
                   HistoryReporter* reporter = nullptr,
                   const std::string& displayName = std::string());

    bool loadOk() const { return status_ == HistoryLoadStatus::Ok; }
    HistoryLoadStatus loadStatus() const { return status_; }
    // "Fehler:\n" and the syntax error's text after a syntax error, else empty.
    const std::string& errorText() const { return errorText_; }
    // Why an existing file could not be read (German), after ReadError.
    const std::string& readError() const { return readError_; }
    // The state of the file as it was read (its identity, size and times).
    const struct stat* fileStatus() const { return hasFileStatus_ ? &fileStatus_ : nullptr; }

    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string fileName) { fileName_ = std::move(fileName); }

    // The cases in list order. The pointers stay valid until their case is
    // removed, whatever happens to the others (sorting included).
    const std::vector<std::unique_ptr<FiledCase>>& cases() const { return cases_; }
    std::size_t caseCount() const { return cases_.size(); }

    // The first case whose name equals `name` ignoring case; nullptr when none.
    FiledCase* findCase(std::string_view name) const;

    // Files a new treatment dated now (local time) with the symptoms of the
    // entries that the evaluation did not add, in their order. It goes to the
    // first case of that name ignoring case, or to a new case appended at the
    // end with the name exactly as given.
    Treatment& fileCase(const std::string& name, const std::string& comment,
                        std::span<const FilingEntry> entries);
    // The same with the date text given.
    Treatment& fileCase(const std::string& name, const std::string& comment,
                        std::span<const FilingEntry> entries, std::string date);
    // The same for the case's own entries (the first `count` of the case).
    Treatment& fileCase(const std::string& name, const std::string& comment,
                        std::span<const CaseEntry> entries);
    Treatment& fileCase(const std::string& name, const std::string& comment,
                        std::span<const CaseEntry> entries, std::string date);

    // Removes and deletes a treatment of `filedCase`; the case stays.
    void removeTreatment(FiledCase& filedCase, const Treatment* treatment);
    // Removes and deletes a case with all its treatments.
    void removeCase(const FiledCase* filedCase);

    // Sorts by name ignoring case, or by the date of each case's last
    // treatment with the newest first and cases without treatments last.
    void sortCases(bool byName);
    bool orderByName() const { return orderByName_; }

    // Replaces the file with the whole history without ever leaving it lost or
    // half written; false (and saveError() says why) when that failed, in which
    // case the old file is unchanged. saveAs leaves fileName() as it is.
    bool save();
    bool saveAs(const std::string& path);
    const std::string& saveError() const { return saveError_; }
    // What the user should learn although the last save succeeded (the file
    // lost the rights other users had on it); empty otherwise.
    const std::string& saveNotice() const { return saveNotice_; }

    // The file layer reading and saving go through; tests inject failing ones.
    void setFileLayer(FileLayer& layer) { fileLayer_ = &layer; }

    // The exact bytes the file gets on disk: CR LF line ends, every line feed
    // inside a value written as CR LF too.
    std::string fileBytes() const;

private:
    void read(std::unique_ptr<ByteSource> source, const std::string& name,
              HistoryReporter* reporter);

    std::vector<std::unique_ptr<FiledCase>> cases_;
    bool orderByName_ = false;
    HistoryLoadStatus status_ = HistoryLoadStatus::NoFile;
    std::string fileName_;
    std::string errorText_;
    std::string readError_;
    std::string saveError_;
    std::string saveNotice_;
    struct stat fileStatus_ {};
    bool hasFileStatus_ = false;
    FileLayer* fileLayer_ = &systemFileLayer();
};

// `date` + " (" + the comment with each CR LF shown as one blank + ")".
std::string treatmentLabel(const Treatment& treatment);

// "%02d.%02d.%04d %02d:%02d" of day, month, year, hour and minute.
std::string formatHistoryDate(const std::tm& localTime);
// The current local time in that format.
std::string currentHistoryDate();

// The text the program shows when saving failed.
std::string saveFailedMessage(const std::string& path);

} // namespace tessalyn
