// settings_file.cpp: bounded reads and temporary-file-and-rename writes.
#include "platform/posix/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace platform::posix {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    int Get() const { return fd_; }
    bool Close() {
        if (fd_ < 0) return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether someone other than us (or root, who can write anything anyway)
// can put files into the folder.
bool OthersCanWrite(const struct stat& folder) {
    return (folder.st_mode & S_IWOTH) != 0 || ((folder.st_mode & S_IWGRP) != 0 && folder.st_gid != ::getegid()) ||
           (folder.st_uid != ::geteuid() && folder.st_uid != 0);
}

enum class LinkUse { Read, Write };

// NOTE: a program kept in a folder that others can write to (a sticky,
// world-writable one, say) may find a link that another user planted in
// its settings file's place, aimed at any file of ours. As the kernel's
// protected_symlinks does, a link is followed only when it belongs to us or
// to the folder's owner. A write never goes through a link in a folder that
// others can write to, where it could be swapped between look and rename.
bool MayFollow(const std::string& linkPath, const struct stat& link, LinkUse use) {
    struct stat folder {};
    if (::stat(FolderOf(linkPath).c_str(), &folder) != 0) return false;
    if (link.st_uid != ::geteuid() && link.st_uid != folder.st_uid) return false;
    return use == LinkUse::Read || !OthersCanWrite(folder);
}

// The file a path names: through a symbolic link that may be followed, so
// that replacing the file keeps the link. Nothing for a link to nowhere or
// one that may not be followed.
std::optional<std::string> WriteTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    if (!MayFollow(path, link, LinkUse::Write)) return std::nullopt;
    std::vector<char> resolved(PATH_MAX + 1, '\0');
    if (::realpath(path.c_str(), resolved.data()) == nullptr) return std::nullopt;
    return std::string(resolved.data());
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Non-blocking, so that a FIFO in the file's place cannot hang us. A
    // path that is no link now must not become one before the open.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!MayFollow(path, link, LinkUse::Read)) return std::nullopt;
    } else {
        flags |= O_NOFOLLOW;
    }
    FileDescriptor file(::open(path.c_str(), flags));
    if (file.Get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxSettingsFileSize)
        return std::nullopt;
    std::string contents;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        contents.append(chunk, static_cast<std::size_t>(n));
        if (contents.size() > kMaxSettingsFileSize) return std::nullopt;  // grew while we read
    }
    return contents;
}

bool ReplaceFileContents(const std::string& path, const std::string& contents,
                         const std::function<void()>& beforeRename) {
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) return false;

    mode_t mode = NewFileMode();
    std::optional<std::pair<uid_t, gid_t>> owner;
    struct stat existing {};
    if (::lstat(target->c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return false;
        // Read-only means read-only, also for a user whose rights would allow
        // the rename: the write bits are the file's read-only attribute.
        if ((existing.st_mode & 0222) == 0 || ::access(target->c_str(), W_OK) != 0) return false;
        mode = existing.st_mode & 07777;
        owner = {existing.st_uid, existing.st_gid};
    } else if (errno != ENOENT) {
        return false;
    }

    std::string temporary = FolderOf(*target) + "/.zwinkerle-settings.XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.Get() < 0) return false;
    bool written = ::fchmod(file.Get(), mode) == 0;
    if (written && owner && (owner->first != ::geteuid() || owner->second != ::getegid()))
        (void)!::fchown(file.Get(), owner->first, owner->second);  // best effort, as root
    written = written && WriteAll(file.Get(), contents) && ::fsync(file.Get()) == 0;
    written = file.Close() && written;
    if (written && beforeRename) beforeRename();
    if (!written || ::rename(temporary.c_str(), target->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing.
    FileDescriptor folder(::open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) (void)::fsync(folder.Get());
    return true;
}

}  // namespace platform::posix
