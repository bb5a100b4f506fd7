#pragma once

// A file system of its own for one test: a small tmpfs mounted on a folder,
// so that a test can give the program exactly the free space it wants.
// Mounting needs the administrator's rights, which the tests have; the file
// system goes with the object.

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tessalyn::test_support {

class SmallFileSystem {
public:
    // Mounts `bytes` of tmpfs on the existing empty folder `at`, its top
    // folder owned by `owner` and `group` with mode 0755.
    SmallFileSystem(std::string at, std::uint64_t bytes, uid_t owner = ::geteuid(),
                    gid_t group = ::getegid())
        : at_(std::move(at)) {
        const std::string options = "size=" + std::to_string(bytes) +
                                    ",mode=0755,uid=" + std::to_string(owner) +
                                    ",gid=" + std::to_string(group);
        mounted_ = ::mount("tessalyn-test", at_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                           options.c_str()) == 0;
        if (!mounted_) {
            error_ = "mount tmpfs on " + at_ + ": " + std::strerror(errno);
        }
    }
    ~SmallFileSystem() {
        if (mounted_) {
            ::umount2(at_.c_str(), MNT_DETACH);
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    // Why mounting failed.
    const std::string& error() const { return error_; }

    std::uint64_t freeBytes() const {
        struct statvfs fs {};
        ::statvfs(at_.c_str(), &fs);
        return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    }

    // Fills the file system with the file "fuellung" so that `bytes` stay
    // free (to the file system's block); an earlier filling is replaced.
    void leaveFree(std::uint64_t bytes) {
        const std::string filler = at_ + "/fuellung";
        ::unlink(filler.c_str());
        const std::uint64_t free = freeBytes();
        std::ofstream out(filler, std::ios::binary);
        const std::vector<char> block(4096, '\0');
        for (std::uint64_t left = free > bytes ? free - bytes : 0; left > 0;) {
            const std::uint64_t n = left < block.size() ? left : block.size();
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
    }

private:
    std::string at_;
    bool mounted_ = false;
    std::string error_;
};

} // namespace tessalyn::test_support
