#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

struct stat;

namespace tessalyn {

// The German reason for an operating-system error number (Windows-1252).
std::string fileErrorText(int error);

// A path of the operating system shown in a Windows-1252 text.
std::string shownPath(const std::string& path);

// The file operations that saving and reading the history need, as an
// interface so that tests can make any step fail. Handles are small
// non-negative integers; every operation that fails leaves the reason in
// lastError() (German) and lastErrno().
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // The path that is really written when `path` is named: symbolic links
    // are followed (a dangling one too) so that the link itself survives.
    virtual std::string resolveTarget(const std::string& path);
    // Creates a new empty file, readable and writable by its owner only, with
    // a unique name next to `target`; -1 on failure.
    virtual int createTemporary(const std::string& target, std::string& temporaryPath);
    // Gives the file behind `handle` the owner and group of the existing file
    // `target`; false when that is not allowed. True when `target` is missing.
    virtual bool adoptOwner(int handle, const std::string& target);
    // Gives the file behind `handle` the access rights of `target` when it
    // exists, less any rights for others (see writeProtectionReason); a
    // failure leaves the stricter rights of a new file.
    virtual void adoptMode(int handle, const std::string& target);
    // Opens an existing file for reading, or for reading and writing; never
    // creates one and never waits (a named pipe opens at once); -1 on failure.
    virtual int open(const std::string& path, bool writable);
    // Reads the whole file behind `handle` from its start.
    virtual bool readAll(int handle, std::string& bytes);
    // Writes all bytes at the current position, or at `offset`.
    virtual bool write(int handle, const char* data, std::size_t size);
    virtual bool writeAt(int handle, std::int64_t offset, const char* data, std::size_t size);
    virtual bool truncate(int handle, std::int64_t size);
    // Forces the written bytes to the storage device.
    virtual bool sync(int handle);
    virtual bool close(int handle);
    // Puts `from` in the place of `to` in one step.
    virtual bool rename(const std::string& from, const std::string& to);
    virtual bool remove(const std::string& path);
    // Makes a finished rename durable; failures do not matter any more then.
    virtual void syncFolderOf(const std::string& path);

    const std::string& lastError() const { return lastError_; }
    int lastErrno() const { return lastErrno_; }

protected:
    void setLastError(std::string text, int error = 0) {
        lastError_ = std::move(text);
        lastErrno_ = error;
    }
    // Records `error` with its German reason; returns false.
    bool fail(int error);

private:
    std::string lastError_;
    int lastErrno_ = 0;
};

// The operating system's files.
class SystemFileLayer : public FileLayer {};

// The layer the program uses unless a test injects another.
FileLayer& systemFileLayer();

// What reading a whole file found.
enum class FileReadOutcome {
    Read,    // the bytes are there (possibly none)
    Missing, // no such file
    Failed,  // the file exists but could not be read; `error` says why
};

// Reads the whole file at `path`; `st` gets its status when it exists.
FileReadOutcome readWholeFile(FileLayer& layer, const std::string& path, std::string& bytes,
                              std::string& error, struct stat* st = nullptr);
// The same over a file opened already.
FileReadOutcome readWholeFile(FileLayer& layer, int handle, std::string& bytes, std::string& error,
                              struct stat* st = nullptr);

// A short tag of `bytes` (16 hexadecimal digits of FNV-1a), the same in
// every program: it tells names, and contents of files, apart.
std::string contentTag(std::string_view bytes);

// Why the existing file `st` at `path` must not be replaced, empty when it may.
//
// Every file the program writes holds patients' data, so it goes only into a
// file that no "other" user may read or write; rights for the file's group are
// the practice's own choice. A file of another user with rights for others is
// refused here (also for the administrator, who is "the user" only for his
// own files). A file of the user's own loses the rights for others when it is
// written, and the user is told so (the `notice` of the writers below).
std::string writeProtectionReason(const struct stat& st, const std::string& path);

// The path of a file that belongs to `target` (its lock, its temporary
// files): the target's name followed by `suffix`. A name that would pass the
// file system's length limit is shortened, the same way by every program, so
// that a history with a name at that limit still has its own files.
std::string sidecarPath(const std::string& target, std::string_view suffix);

// The maker of a temporary file as its name tells it: a temporary file of a
// target is named sidecarPath(target, ".tmp-" + temporaryTag(...)).
struct TemporaryTag {
    long pid = 0;         // the process that made it, 1 .. the largest process id
    unsigned counter = 0; // that process's count of temporary files
    bool operator==(const TemporaryTag&) const = default;
};

// "<pid>-<counter>" in decimal.
std::string temporaryTag(const TemporaryTag& tag);

// Reads the text after ".tmp-" in a temporary file's name; none unless the
// text is exactly what temporaryTag makes (a file the program did not make).
std::optional<TemporaryTag> parseTemporaryTag(std::string_view text);

// Makes `folder` and the folders missing above it for their owner only
// (0700), as the user's own data and state folders are meant to be, and takes
// the rights of others from `folder` itself when it is the user's. False with
// `error` naming the folder that could not be made.
bool makePrivateFolders(const std::string& folder, std::string& error);

// Removes the temporary files a save of `target` left behind when its process
// was ended in the middle of it: those whose process no longer runs here.
void removeLeftoverTemporaries(FileLayer& layer, const std::string& target);

// Replaces the file at `path` with `bytes` so that the file is never lost or
// half written: the bytes go to a temporary file in the same folder, which is
// flushed to the device and then renamed over the old file, taking over its
// owner and access rights (a new file is its owner's only). On any failure
// the temporary file is removed, the old file stays exactly as it was,
// `error` (when given) names the file and the reason, and the result is false.
// `notice` (when given) gets what the user should learn although the file was
// written (it lost the rights for others), empty otherwise.
bool replaceFile(FileLayer& layer, const std::string& path, std::string_view bytes,
                 std::string* error = nullptr, std::string* notice = nullptr);

// Writes `bytes` over the open file `handle` (named `path` in messages) in
// place, for a folder where no temporary file can be made: the new bytes from
// the start, the rest cut off, flushed to the device. When a step fails the
// old content `oldBytes` is written back the same way, as far as the device
// allows. A file that must not be written (writeProtectionReason) is not
// touched. False with `error` set on failure; `notice` as for replaceFile.
bool rewriteInPlace(FileLayer& layer, int handle, const std::string& path,
                    std::string_view oldBytes, std::string_view bytes, std::string* error = nullptr,
                    std::string* notice = nullptr);

} // namespace tessalyn
