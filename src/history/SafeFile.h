#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace tessalyn {

// The file operations that replacing a file needs, as an interface so that
// tests can make any step fail. Handles are small non-negative integers;
// every operation that fails leaves a description in lastError().
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // The path that is really written when `path` is named: a symbolic link
    // is followed so that the link itself survives the replacement.
    virtual std::string resolveTarget(const std::string& path) = 0;
    // Creates a new empty file with a unique name in the folder of `target`
    // and with the access rights of `target` when it exists; -1 on failure.
    virtual int createTemporary(const std::string& target, std::string& temporaryPath) = 0;
    // Writes all bytes or fails.
    virtual bool write(int handle, const char* data, std::size_t size) = 0;
    // Forces the written bytes to the storage device.
    virtual bool sync(int handle) = 0;
    virtual bool close(int handle) = 0;
    // Puts `from` in the place of `to` in one step.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Makes a finished rename durable; failures do not matter any more then.
    virtual void syncFolderOf(const std::string& path) = 0;

    const std::string& lastError() const { return lastError_; }

protected:
    void setLastError(std::string text) { lastError_ = std::move(text); }

private:
    std::string lastError_;
};

// The operating system's files.
class SystemFileLayer : public FileLayer {
public:
    std::string resolveTarget(const std::string& path) override;
    int createTemporary(const std::string& target, std::string& temporaryPath) override;
    bool write(int handle, const char* data, std::size_t size) override;
    bool sync(int handle) override;
    bool close(int handle) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    void syncFolderOf(const std::string& path) override;

private:
    void setErrno(const char* operation, const std::string& path, int error);
};

// The layer the program uses unless a test injects another.
FileLayer& systemFileLayer();

// Replaces the file at `path` with `bytes` so that the file is never lost or
// half written: the bytes go to a temporary file in the same folder, which is
// flushed to the device and then renamed over the old file. On any failure the
// temporary file is removed, the old file stays exactly as it was, `error`
// (when given) describes the failing step and the result is false.
bool replaceFile(FileLayer& layer, const std::string& path, std::string_view bytes,
                 std::string* error = nullptr);

} // namespace tessalyn
