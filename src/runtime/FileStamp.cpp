#include "FileStamp.h"

#include <sys/stat.h>

#include "SafeFile.h"

namespace vinta {

namespace {

constexpr int64_t kNsPerMs = 1'000'000;

bool StatOf(const std::string& path, struct stat& st) {
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileStamp FromStat(const struct stat& st) {
    const int64_t ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    FileStamp s;
    s.size = st.st_size;
    s.modifiedMs = ns / kNsPerMs;
    s.subMsNs = static_cast<int32_t>(ns % kNsPerMs);
    s.inode = static_cast<uint64_t>(st.st_ino);
    return s;
}

// Whole seconds: a second write within the same second keeps the same time.
bool CoarseTime(const struct stat& st) { return st.st_mtim.tv_nsec == 0; }

}  // namespace

std::optional<uint64_t> DigestOf(const std::string& path) {
    safefile::RegularFile file(path);
    if (!file.IsOpen()) return std::nullopt;
    // FNV-1a over the bytes: not for adversaries, only to tell two versions of a file apart.
    uint64_t h = 0xcbf29ce484222325ULL;
    std::string piece;
    do {
        piece.clear();
        if (!file.Read(1 << 20, piece)) return std::nullopt;
        for (unsigned char c : piece) h = (h ^ c) * 0x100000001b3ULL;
    } while (!piece.empty());
    return h;
}

FileStamp FileStamp::Of(const std::string& path) {
    struct stat st {};
    if (!StatOf(path, st)) return {};
    FileStamp s = FromStat(st);
    if (CoarseTime(st)) s.digest = DigestOf(path);
    return s;
}

namespace {

// Size, time and identity, as far as `was` knows them.
bool FieldsDiffer(const FileStamp& was, const FileStamp& now) {
    if (now.size != was.size || now.modifiedMs != was.modifiedMs) return true;
    if (was.subMsNs >= 0 && now.subMsNs != was.subMsNs) return true;
    return was.inode != 0 && now.inode != was.inode;
}

}  // namespace

// The content is read only when everything else agrees.
bool ChangedSince(const FileStamp& was, const std::string& path) {
    struct stat st {};
    if (!StatOf(path, st)) return was.Exists();
    if (!was.Exists()) return true;
    if (FieldsDiffer(was, FromStat(st))) return true;
    return was.digest && DigestOf(path) != was.digest;
}

// A stamp with a digest has a whole-second time, and so has the same file
// stamped again: `now` then carries its digest too.
bool Differs(const FileStamp& was, const FileStamp& now) {
    if (!now.Exists()) return was.Exists();
    if (!was.Exists()) return true;
    if (FieldsDiffer(was, now)) return true;
    return was.digest && now.digest != was.digest;
}

}  // namespace vinta
