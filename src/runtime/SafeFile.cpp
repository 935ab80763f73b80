#include "SafeFile.h"

#include "Reason.h"

#include <dirent.h>
#include <stdio.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace vinta::safefile {

namespace {

std::atomic<bool> unnamedAllowed{true};

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kSuffixLength = 6;

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The file a replacement writes: a link is followed, so the link survives.
std::filesystem::path Target(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (std::filesystem::is_symlink(p, ec)) {
        auto resolved = std::filesystem::weakly_canonical(p, ec);
        if (!ec) return resolved;
    }
    return p;
}

mode_t ModeFor(const struct stat* existing) {
    if (existing) return existing->st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string TempPrefix(const std::filesystem::path& target) { return "." + target.filename().string() + "."; }

bool IsTempName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kSuffixLength || name.substr(0, prefix.size()) != prefix) return false;
    for (char c : name.substr(prefix.size()))
        if (!std::strchr(kAlphabet, c) || c == '\0') return false;
    return true;
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 gen{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    std::string s(kSuffixLength, 'A');
    for (char& c : s) c = kAlphabet[gen() % (sizeof kAlphabet - 1)];
    return s;
}

// A temporary file being written: unnamed (O_TMPFILE) or named and locked.
struct Temporary {
    int fd = -1;
    std::string name;  // empty while unnamed
    ~Temporary() {
        if (fd >= 0) ::close(fd);
    }
};

bool OpenUnnamed(int dirfd, mode_t mode, Temporary& t) {
#ifdef O_TMPFILE
    if (!unnamedAllowed) return false;
    t.fd = ::openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    return t.fd >= 0;
#else
    (void)dirfd;
    (void)mode;
    return false;
#endif
}

bool OpenNamed(int dirfd, const std::string& prefix, Temporary& t) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + RandomSuffix();
        int fd = ::openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            t.fd = fd;
            t.name = name;
            // Held until the file is renamed or removed: a sweep by a later
            // save leaves it alone meanwhile.
            ::flock(fd, LOCK_EX);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    errno = EEXIST;
    return false;
}

// Gives the unnamed file a name of the temporary pattern, so that it can be
// renamed over the target.
bool LinkUnnamed(int dirfd, const std::string& prefix, Temporary& t) {
    std::string proc = "/proc/self/fd/" + std::to_string(t.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + RandomSuffix();
        int rc = ::linkat(AT_FDCWD, proc.c_str(), dirfd, name.c_str(), AT_SYMLINK_FOLLOW);
        if (rc != 0 && errno == ENOENT) rc = ::linkat(t.fd, "", dirfd, name.c_str(), AT_EMPTY_PATH);
        if (rc == 0) {
            t.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// Removes temporary files of a killed or failed writer: those of the pattern
// that nobody holds a lock on.
void SweepStale(int dirfd, const std::string& prefix) {
    int scan = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan < 0) return;
    DIR* d = ::fdopendir(scan);
    if (!d) {
        ::close(scan);
        return;
    }
    while (dirent* e = ::readdir(d)) {
        if (!IsTempName(e->d_name, prefix)) continue;
        int fd = ::openat(dirfd, e->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirfd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

// errno is left set too, for callers that report it.
bool Fail(std::string* error, int err) {
    if (error) *error = std::strerror(err);
    errno = err;
    return false;
}

bool WriteTemporary(int dirfd, const std::string& prefix, mode_t mode,
                    const std::function<bool(const PieceWriter&)>& produce, Temporary& t) {
    if (!OpenUnnamed(dirfd, mode, t) && !OpenNamed(dirfd, prefix, t)) return false;
    // Held from the start, so that once it has a name no sweep of another
    // program (or of an open of the same schedule) takes it before the rename.
    ::flock(t.fd, LOCK_EX);
    if (::fchmod(t.fd, mode) != 0) return false;
    int writeErrno = 0;
    PieceWriter write = [&](std::string_view piece) {
        if (writeErrno == 0 && !WriteAll(t.fd, piece)) writeErrno = errno ? errno : EIO;
        return writeErrno == 0;
    };
    bool produced = produce(write);
    if (writeErrno != 0) {
        errno = writeErrno;
        return false;
    }
    if (!produced) {
        errno = ECANCELED;
        return false;
    }
    if (::fsync(t.fd) != 0) return false;
    if (t.name.empty() && !LinkUnnamed(dirfd, prefix, t)) return false;
    return true;
}

}  // namespace

RegularFile::RegularFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = st.st_size;
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RegularFile::Read(size_t n, std::string& out) {
    if (fd_ < 0) return false;
    // Straight into `out`, in steps, so that a small file asked for with a
    // large `n` does not make `out` large.
    constexpr size_t kStep = 1 << 20;
    while (n > 0) {
        size_t step = std::min(n, kStep);
        size_t at = out.size();
        out.resize(at + step);
        ssize_t got = ::read(fd_, out.data() + at, step);
        out.resize(at + static_cast<size_t>(std::max<ssize_t>(got, 0)));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        n -= static_cast<size_t>(got);
    }
    return true;
}

ReadStatus ReadRegularFile(const std::string& path, int64_t maxBytes, std::string& out) {
    RegularFile f(path);
    if (!f.IsOpen()) return ReadStatus::kUnreadable;
    if (f.Size() > maxBytes) return ReadStatus::kTooLarge;
    out.reserve(out.size() + static_cast<size_t>(f.Size()));
    // One byte past the cap tells a file that grew while it was read.
    size_t before = out.size();
    if (!f.Read(static_cast<size_t>(maxBytes) + 1, out)) return ReadStatus::kUnreadable;
    if (static_cast<int64_t>(out.size() - before) > maxBytes) {
        out.resize(before);
        return ReadStatus::kTooLarge;
    }
    return ReadStatus::kOk;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error) {
    return ReplaceFileWith(path, [bytes](const PieceWriter& write) { return write(bytes); }, error);
}

bool ReplaceFileWith(const std::string& path, const std::function<bool(const PieceWriter&)>& produce,
                     std::string* error) {
    std::filesystem::path target = Target(path);
    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return Fail(error, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0) return Fail(error, errno);
    const std::string prefix = TempPrefix(target);
    const std::string name = target.filename().string();
    bool ok;
    int err = 0;
    {
        Temporary t;
        ok = WriteTemporary(dirfd, prefix, ModeFor(exists ? &existing : nullptr), produce, t);
        ok = ok && ::renameat(dirfd, t.name.c_str(), dirfd, name.c_str()) == 0;
        if (!ok) {
            err = errno;
            if (!t.name.empty()) ::unlinkat(dirfd, t.name.c_str(), 0);
        }
    }
    if (ok) {
        ::fsync(dirfd);
        SweepStale(dirfd, prefix);
    }
    ::close(dirfd);
    return ok || Fail(error, err ? err : EIO);
}

namespace {

// A rename that refuses to replace, or a link where the file system has no
// such rename: both leave the name to the first writer.
bool PlaceExclusive(int dirfd, const std::string& from, const std::string& to) {
    if (::renameat2(dirfd, from.c_str(), dirfd, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::linkat(dirfd, from.c_str(), dirfd, to.c_str(), 0) != 0) return false;
    ::unlinkat(dirfd, from.c_str(), 0);
    return true;
}

}  // namespace

bool CreateFileExclusive(const std::string& path, std::string_view bytes, std::string* error) {
    std::filesystem::path target(path);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0) return Fail(error, errno);
    const std::string prefix = TempPrefix(target);
    bool ok;
    int err = 0;
    {
        Temporary t;
        ok = WriteTemporary(dirfd, prefix, ModeFor(nullptr), [bytes](const PieceWriter& w) { return w(bytes); }, t) &&
             PlaceExclusive(dirfd, t.name, target.filename().string());
        if (!ok) {
            err = errno;
            if (!t.name.empty()) ::unlinkat(dirfd, t.name.c_str(), 0);
        }
    }
    if (ok) ::fsync(dirfd);
    ::close(dirfd);
    return ok || Fail(error, err ? err : EIO);
}

Scratch::Scratch(const std::string& target) : target_(Target(target).string()) {
    std::filesystem::path dir = std::filesystem::path(target_).parent_path();
    if (dir.empty()) dir = ".";
    const int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0) {
        error_ = ReasonText(errno);
        return;
    }
    Temporary t;
    if (OpenNamed(dirfd, TempPrefix(target_), t)) {
        path_ = (dir / t.name).string();
        std::swap(fd_, t.fd);
    } else {
        error_ = ReasonText(errno);
    }
    ::close(dirfd);
}

Scratch::~Scratch() {
    if (fd_ < 0) return;
    if (!placed_) ::unlink(path_.c_str());
    ::close(fd_);
}

bool Scratch::Place(std::string* error) {
    if (fd_ < 0) return Fail(error, EBADF);
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return Fail(error, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
    // The writer wrote through a descriptor of its own; this one sees the same file.
    if (::fchmod(fd_, ModeFor(exists ? &existing : nullptr)) != 0 || ::fsync(fd_) != 0) return Fail(error, errno);
    if (::rename(path_.c_str(), target_.c_str()) != 0) return Fail(error, errno);
    placed_ = true;
    std::filesystem::path dir = std::filesystem::path(target_).parent_path();
    if (dir.empty()) dir = ".";
    if (const int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirfd >= 0) {
        ::fsync(dirfd);
        SweepStale(dirfd, TempPrefix(target_));  // what a killed writer of this name left
        ::close(dirfd);
    }
    return true;
}

void SweepLeftovers(const std::string& path) {
    const std::filesystem::path target = Target(path);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    const int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0) return;
    SweepStale(dirfd, TempPrefix(target));
    ::close(dirfd);
}

void SetUnnamedTemporaryAllowed(bool allowed) { unnamedAllowed = allowed; }

}  // namespace vinta::safefile
