#pragma once
// What a file looked like when a program read it or wrote it, so that a later
// write can tell whether someone else has written it since.

#include <cstdint>
#include <optional>
#include <string>

namespace vinta {

struct FileStamp {
    int64_t size = -1;        // -1: no file
    int64_t modifiedMs = -1;  // ms since 1970
    int32_t subMsNs = -1;     // the rest of the time in ns; -1 where not known
    uint64_t inode = 0;       // 0 where not known: a replacement by rename gives a new one
    // The content, taken only where the time is too coarse to tell two writes
    // apart (whole seconds, as network shares and FAT keep it).
    std::optional<uint64_t> digest;

    static FileStamp Of(const std::string& path);
    bool Exists() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

// True when the file at `path` is no longer the one `was` describes: gone,
// appeared, or written since. Only what `was` knows is compared, so a stamp
// kept with size and time alone still works.
bool ChangedSince(const FileStamp& was, const std::string& path);
// The same, for a stamp of the file taken already (`FileStamp::Of`), so that a
// caller who needs the new stamp anyway reads the file once.
bool Differs(const FileStamp& was, const FileStamp& now);

// A 64-bit digest of a regular file's bytes; nullopt when it cannot be read.
std::optional<uint64_t> DigestOf(const std::string& path);

}  // namespace vinta
