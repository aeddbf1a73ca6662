// settings_file.cpp: bounded reads and temporary-file-and-rename writes,
// reached without following a link that someone else could have planted.
#include "platform/posix/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <deque>
#include <random>
#include <utility>
#include <vector>

namespace platform::posix {

namespace {

constexpr std::string_view kTemporaryPrefix = ".zwinkerle-settings.";
constexpr int kMaxLinks = 40;
// A temporary file of ours older than this was left by a write that died.
constexpr auto kStaleAfter = std::chrono::minutes(1);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
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
// protected_symlinks does, a link is followed only when it belongs to us, to
// its folder's owner or to root. A write never goes through a link in a
// folder that others can write to.
bool MayFollow(const struct stat& folder, const struct stat& link, LinkUse use) {
    const bool trusted = link.st_uid == ::geteuid() || link.st_uid == folder.st_uid || link.st_uid == 0;
    if (!trusted) return false;
    return use == LinkUse::Read || !OthersCanWrite(folder);
}

void AppendNames(std::deque<std::string>& names, std::string_view path, bool atFront) {
    std::deque<std::string> found;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (!name.empty() && name != ".") found.emplace_back(name);
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
    }
    names.insert(atFront ? names.begin() : names.end(), found.begin(), found.end());
}

FileDescriptor OpenFolder(int at, const char* name) {
    return FileDescriptor(::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

std::string ReadLinkAt(int folder, const std::string& name) {
    std::vector<char> target(4096);
    const ssize_t n = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    return n > 0 && static_cast<std::size_t>(n) < target.size()
               ? std::string(target.data(), static_cast<std::size_t>(n))
               : std::string();
}

// Where a settings file lies: its folder, held open, and its name in it.
struct Place {
    FileDescriptor folder;
    std::string name;
};

// Walks the path one name at a time, each from the folder before it held
// open, so that nothing can be swapped in between a look and its use.
// Every link on the way, the file's own included, must pass MayFollow.
// Nothing when one does not or a folder on the way is missing.
std::optional<Place> Locate(const std::string& path, LinkUse use) {
    if (path.empty()) return std::nullopt;
    std::deque<std::string> names;
    AppendNames(names, path, false);
    FileDescriptor folder = OpenFolder(AT_FDCWD, path.front() == '/' ? "/" : ".");
    for (int links = 0; folder.Get() >= 0 && !names.empty();) {
        std::string name = std::move(names.front());
        names.pop_front();
        struct stat entry {};
        if (::fstatat(folder.Get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && names.empty()) return Place{std::move(folder), name};  // a file to be made
            return std::nullopt;
        }
        if (S_ISLNK(entry.st_mode)) {
            struct stat here {};
            if (++links > kMaxLinks || ::fstat(folder.Get(), &here) != 0 || !MayFollow(here, entry, use))
                return std::nullopt;
            const std::string target = ReadLinkAt(folder.Get(), name);
            if (target.empty()) return std::nullopt;
            AppendNames(names, target, true);
            if (target.front() == '/') folder = OpenFolder(AT_FDCWD, "/");
        } else if (names.empty()) {
            return Place{std::move(folder), name};
        } else {
            folder = OpenFolder(folder.Get(), name.c_str());
        }
    }
    return std::nullopt;
}

// Removes the temporary files that writes of ours left behind when they died.
void RemoveStaleTemporaries(int folder) {
    DIR* listing = ::fdopendir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listing == nullptr) return;
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(listing)) {
        if (!std::string_view(entry->d_name).starts_with(kTemporaryPrefix)) continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        if (now - std::chrono::system_clock::from_time_t(info.st_mtime) > kStaleAfter)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(listing);
}

// A new temporary file beside the settings file, and its name.
std::pair<FileDescriptor, std::string> CreateTemporary(int folder) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(kTemporaryPrefix);
        for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        FileDescriptor file(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Get() >= 0 || errno != EEXIST) return {std::move(file), name};
    }
    return {FileDescriptor(), std::string()};
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const std::optional<Place> place = Locate(path, LinkUse::Read);
    if (!place) return std::nullopt;
    // Non-blocking, so that a FIFO in the file's place cannot hang us.
    FileDescriptor file(::openat(place->folder.Get(), place->name.c_str(),
                                 O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
    if (file.Get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxSettingsFileSize)
        return std::nullopt;
    // One buffer of the file's size: grown step by step, the steps left
    // behind would cost as much memory again.
    std::string contents;
    contents.reserve(static_cast<std::size_t>(info.st_size));
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
    const std::optional<Place> place = Locate(path, LinkUse::Write);
    if (!place) return false;
    const int folder = place->folder.Get();
    const char* name = place->name.c_str();

    mode_t mode = NewFileMode();
    std::optional<std::pair<uid_t, gid_t>> owner;
    struct stat existing {};
    if (::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(existing.st_mode)) return false;
        // Read-only means read-only, also for a user whose rights would allow
        // the rename: the write bits are the file's read-only attribute.
        if ((existing.st_mode & 0222) == 0 || ::faccessat(folder, name, W_OK, 0) != 0) return false;
        mode = existing.st_mode & 07777;
        owner = {existing.st_uid, existing.st_gid};
    } else if (errno != ENOENT) {
        return false;
    }

    RemoveStaleTemporaries(folder);
    auto [file, temporary] = CreateTemporary(folder);
    if (file.Get() < 0) return false;
    bool written = ::fchmod(file.Get(), mode) == 0;
    if (written && owner && (owner->first != ::geteuid() || owner->second != ::getegid()))
        (void)!::fchown(file.Get(), owner->first, owner->second);  // best effort, as root
    written = written && WriteAll(file.Get(), contents) && ::fsync(file.Get()) == 0;
    written = file.Close() && written;
    if (written && beforeRename) beforeRename();
    if (!written || ::renameat(folder, temporary.c_str(), folder, name) != 0) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing.
    const FileDescriptor listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listing.Get() >= 0) (void)::fsync(listing.Get());
    return true;
}

}  // namespace platform::posix
