#include "history/SafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

void SystemFileLayer::setErrno(const char* operation, const std::string& path, int error) {
    setLastError(std::string(operation) + " " + path + ": " + std::strerror(error));
}

std::string SystemFileLayer::resolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return path;
}

int SystemFileLayer::createTemporary(const std::string& target, std::string& temporaryPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath =
            target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        // 0666 lets the process's file-creation mask decide, as for any new file.
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            if (::stat(target.c_str(), &st) == 0) {
                // Keep the access rights of the file being replaced; a failure
                // here is not fatal, the content matters more than its mode.
                [[maybe_unused]] const int rc = ::fchmod(fd, st.st_mode & 07777);
            }
            return fd;
        }
        if (errno != EEXIST) {
            setErrno("Anlegen von", temporaryPath, errno);
            temporaryPath.clear();
            return -1;
        }
    }
    setLastError("Anlegen einer Zwischendatei neben " + target + " misslungen");
    temporaryPath.clear();
    return -1;
}

bool SystemFileLayer::write(int handle, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(handle, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            setErrno("Schreiben", "", errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SystemFileLayer::sync(int handle) {
    while (::fsync(handle) != 0) {
        if (errno != EINTR) {
            setErrno("Sichern", "", errno);
            return false;
        }
    }
    return true;
}

bool SystemFileLayer::close(int handle) {
    // A failed close may report a lost write; EINTR leaves the descriptor closed.
    if (::close(handle) != 0 && errno != EINTR) {
        setErrno("Schliessen", "", errno);
        return false;
    }
    return true;
}

bool SystemFileLayer::rename(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        setErrno("Umbenennen nach", to, errno);
        return false;
    }
    return true;
}

bool SystemFileLayer::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        setErrno("Entfernen von", path, errno);
        return false;
    }
    return true;
}

void SystemFileLayer::syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const int rc = ::fsync(fd);
        ::close(fd);
    }
}

FileLayer& systemFileLayer() {
    static SystemFileLayer layer;
    return layer;
}

bool replaceFile(FileLayer& layer, const std::string& path, std::string_view bytes,
                 std::string* error) {
    const auto failed = [&](const std::string& temporary) {
        if (error != nullptr) {
            *error = layer.lastError();
        }
        if (!temporary.empty()) {
            layer.remove(temporary);
        }
        return false;
    };
    if (path.empty()) {
        if (error != nullptr) {
            *error = "kein Dateiname";
        }
        return false;
    }
    const std::string target = layer.resolveTarget(path);
    std::string temporary;
    const int handle = layer.createTemporary(target, temporary);
    if (handle < 0) {
        return failed(std::string());
    }
    if (!layer.write(handle, bytes.data(), bytes.size()) || !layer.sync(handle)) {
        const std::string why = layer.lastError();
        layer.close(handle);
        if (error != nullptr) {
            *error = why;
        }
        layer.remove(temporary);
        return false;
    }
    if (!layer.close(handle) || !layer.rename(temporary, target)) {
        return failed(temporary);
    }
    layer.syncFolderOf(target);
    return true;
}

} // namespace tessalyn
