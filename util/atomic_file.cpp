#include "util/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dp {

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
// The part of the target's name kept in a temporary's name, so the whole stays within the 255 bytes
// a file name may have.
constexpr std::size_t kStemLength = 96;
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kTagLength = 16;

std::atomic<bool> unnamedAllowed{true};

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Reset(); }
    int Get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

bool ReadLink(const std::string& path, std::string* target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            *target = std::move(buffer);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Everything up to and including the last "/", or "" for a bare name.
std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that a write to `path` replaces: the path itself, or the file its chain of symbolic links
// ends at (which need not exist yet). Split into its folder and its name.
int ResolveTarget(const std::string& path, std::string* folder, std::string* name) {
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) return errno;
            break; // a new file, or the missing target of a dangling link
        }
        if (!S_ISLNK(st.st_mode)) break;
        if (links == kMaxLinks) return ELOOP;
        std::string link;
        if (!ReadLink(current, &link)) return errno;
        if (link.empty()) return ENOENT;
        current = link.front() == '/' ? link : FolderPart(current) + link;
    }
    const std::string folderPart = FolderPart(current);
    *name = current.substr(folderPart.size());
    *folder = folderPart.empty() ? std::string(".") : folderPart;
    if (name->empty() || *name == "." || *name == "..") return EISDIR;
    return 0;
}

// The name's first bytes, never cut inside a UTF-8 character.
std::string Stem(std::string_view name) {
    std::string stem(name.substr(0, kStemLength));
    if (stem.size() < name.size()) {
        while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80) stem.pop_back();
        if (!stem.empty() && static_cast<unsigned char>(stem.back()) >= 0xC0) stem.pop_back();
    }
    return stem;
}

std::string TemporaryName(std::string_view name) {
    thread_local std::mt19937_64 random{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                        static_cast<std::uint64_t>(::getpid())};
    char tag[kTagLength + 1];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(random()));
    return "." + Stem(name) + "." + tag + std::string(kTemporaryEnd);
}

// Removes the temporaries of earlier saves of `name` whose process has died: a running save holds
// the lock on its temporary, and a dead process holds no lock.
void RemoveStaleTemporaries(int dir, const std::string& name) {
    const int listFd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return;
    DIR* list = ::fdopendir(listFd);
    if (list == nullptr) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(list)) {
        if (!atomic_file_detail::IsTemporaryOf(entry->d_name, name)) continue;
        constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = ::openat(dir, entry->d_name, O_RDONLY | kFlags);
        if (fd < 0) fd = ::openat(dir, entry->d_name, O_WRONLY | kFlags); // a write-only file
        if (fd < 0) continue;
        const TFd temporary(fd);
        struct stat opened, named;
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) continue; // its save is still running
        if (::fstatat(dir, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dir, entry->d_name, 0);
    }
    ::closedir(list);
}

bool WriteAll(int fd, std::string_view content) {
    const char* p = content.data();
    std::size_t n = content.size();
    while (n > 0) {
        const ssize_t r = ::write(fd, p, n);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) {
            errno = EIO;
            return false;
        }
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

// The temporary file of one save: open, locked, and named once it is complete.
struct TTemporary {
    TFd fd;
    std::string name; // empty while unnamed
};

// A named temporary, locked before anyone else can take its lock for a dead one.
int CreateNamed(int dir, const std::string& target, TTemporary* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(target);
        // 0666 before the umask, as for any new file; an existing file's bits are copied later.
        const int fd =
            ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        temp->fd.Reset(fd);
        temp->name = name;
        ::flock(fd, LOCK_EX);
        // A cleaner that locked it first took it for a dead save's and removed it: take another.
        struct stat opened, named;
        if (::fstat(fd, &opened) == 0 && ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
            return 0;
        temp->fd.Reset();
        temp->name.clear();
    }
    return EEXIST;
}

// Gives the complete unnamed temporary a name beside the target, so it can be renamed over it.
int NameUnnamed(int dir, const std::string& target, TTemporary* temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(temp->fd.Get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(target);
        // AT_EMPTY_PATH needs a privilege that the link through /proc does not.
        if (::linkat(temp->fd.Get(), "", dir, name.c_str(), AT_EMPTY_PATH) == 0 ||
            ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp->name = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Writes the temporary completely and flushes it to disk; it keeps the old file's owner, group and
// permission bits when there is one.
int Fill(const TTemporary& temp, const struct stat* old, std::string_view content) {
    const int fd = temp.fd.Get();
    if (old != nullptr) {
        // Only root, or the owner giving the file to one of their groups, may do this.
        [[maybe_unused]] const bool kept = ::fchown(fd, old->st_uid, old->st_gid) == 0 ||
                                           ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) == 0;
        if (::fchmod(fd, old->st_mode & 07777) != 0) return errno;
    }
    if (!WriteAll(fd, content)) return errno;
    if (::fsync(fd) != 0) return errno;
    return 0;
}

// The folder a replace of `path` writes in and the file it replaces, after every check that needs
// no write: the path resolved through its links, the folder open, the existing file (if any) a
// regular file the user may write.
struct TTarget {
    TFd dir;
    std::string name;
    struct stat old {};
    bool exists = false;
};

int OpenTarget(const std::string& path, TTarget* t) {
    if (path.empty() || path.find('\0') != std::string::npos) return EINVAL;
    std::string folder;
    if (const int error = ResolveTarget(path, &folder, &t->name)) return error;
    t->dir.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (t->dir.Get() < 0) return errno;

    if (::fstatat(t->dir.Get(), t->name.c_str(), &t->old, AT_SYMLINK_NOFOLLOW) == 0) {
        t->exists = true;
        if (S_ISLNK(t->old.st_mode)) return ELOOP; // a link put there since the path was followed
        if (S_ISDIR(t->old.st_mode)) return EISDIR;
        if (!S_ISREG(t->old.st_mode)) return EINVAL;
        // A file the user made read-only stays as it is, even for root and in a writable folder.
        if ((t->old.st_mode & 0222) == 0) return EACCES;
        if (::faccessat(t->dir.Get(), t->name.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    } else if (errno != ENOENT) {
        return errno;
    }
    return 0;
}

int Replace(const std::string& path, std::string_view content) {
    TTarget t;
    if (const int error = OpenTarget(path, &t)) return error;
    const TFd& dir = t.dir;
    const std::string& target = t.name;
    const struct stat& old = t.old;
    const bool exists = t.exists;

    RemoveStaleTemporaries(dir.Get(), target);

    TTemporary temp;
    int error = 0;
    bool unnamed = false;
    if (unnamedAllowed.load()) {
        const int fd = ::openat(dir.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.fd.Reset(fd);
            ::flock(fd, LOCK_EX); // taken before the file has a name that a cleaner could see
            unnamed = true;
        }
    }
    if (!unnamed) error = CreateNamed(dir.Get(), target, &temp);
    if (error == 0) error = Fill(temp, exists ? &old : nullptr, content);
    if (error == 0 && unnamed) {
        error = NameUnnamed(dir.Get(), target, &temp);
        if (error != 0) {
            // No way to name an unnamed file here (no /proc): write a named one instead.
            temp.fd.Reset();
            error = CreateNamed(dir.Get(), target, &temp);
            if (error == 0) error = Fill(temp, exists ? &old : nullptr, content);
        }
    }
    if (error == 0 && ::renameat(dir.Get(), temp.name.c_str(), dir.Get(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        if (!temp.name.empty()) ::unlinkat(dir.Get(), temp.name.c_str(), 0);
        return error;
    }
    // Makes the rename last; the new content is in place either way.
    ::fsync(dir.Get());
    return 0;
}

} // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view content, int* error) {
    const int result = Replace(path, content);
    if (error != nullptr) *error = result;
    return result == 0;
}

bool CanReplaceFile(const std::string& path, int* error) {
    TTarget t;
    int result = OpenTarget(path, &t);
    // The temporary is created in the folder and renamed there.
    if (result == 0 && ::faccessat(t.dir.Get(), ".", W_OK | X_OK, AT_EACCESS) != 0) result = errno;
    if (error != nullptr) *error = result;
    return result == 0;
}

namespace atomic_file_detail {

void AllowUnnamedTemporary(bool allow) {
    unnamedAllowed.store(allow);
}

bool IsTemporaryOf(std::string_view entry, std::string_view name) {
    const std::string stem = "." + Stem(name) + ".";
    if (entry.size() != stem.size() + kTagLength + kTemporaryEnd.size()) return false;
    if (entry.substr(0, stem.size()) != stem || !entry.ends_with(kTemporaryEnd)) return false;
    for (const char c : entry.substr(stem.size(), kTagLength))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

} // namespace atomic_file_detail

} // namespace dp
