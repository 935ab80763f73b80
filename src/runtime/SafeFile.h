#pragma once
// Reading and replacing files that anyone may have put in our way: a folder,
// a pipe, a device or a huge file where a document or a settings file is
// expected. Readers never block and never read more than they allow; a
// replacement never destroys the old file and leaves no debris when killed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vinta::safefile {

enum class ReadStatus {
    kOk,
    kUnreadable,  // missing, not a regular file, or an I/O error
    kTooLarge,    // larger than the caller's cap; nothing was read
};

// An open regular file. Opening never blocks (a FIFO would), and anything but
// a regular file counts as not open.
class RegularFile {
public:
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The size at opening.
    int64_t Size() const { return size_; }
    // Appends up to `n` bytes; fewer only at the end of the file. False on an
    // I/O error.
    bool Read(size_t n, std::string& out);

private:
    int fd_ = -1;
    int64_t size_ = 0;
};

// The whole of a regular file of at most `maxBytes`.
ReadStatus ReadRegularFile(const std::string& path, int64_t maxBytes, std::string& out);

// Replaces the file at `path` (following a link, so the link survives) by
// `bytes`: written to a temporary file in the same folder, flushed, then
// renamed over the old one. The old file stays whole whatever happens. Only a
// regular file (or nothing) is ever replaced. The old file's permissions are
// kept. On failure returns false and sets `error` (an errno text).
//
// The temporary file has no name while it is written where the file system
// allows it, so that a killed writer leaves nothing. Elsewhere it is named
// ".NAME.XXXXXX" and locked while it lives; a later successful replacement of
// the same file removes such files that nobody holds.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The same, with the new content handed over in pieces: `produce(write)`
// calls write(piece) for each piece in order and answers false to give up
// (the old file then stays). write answers false once writing has failed.
using PieceWriter = std::function<bool(std::string_view piece)>;
bool ReplaceFileWith(const std::string& path, const std::function<bool(const PieceWriter&)>& produce,
                     std::string* error = nullptr);

// Puts `bytes` at `path` whole, only when nothing is there yet: two writers
// racing for the same name get one winner, and a reader never sees the file
// half written. False with `error` set (EEXIST when the name is taken).
bool CreateFileExclusive(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// A file another writer (a PDF library, say) fills by its name before it
// takes the place of `target`: hidden beside it as ".NAME.XXXXXX", held while
// it lives so that no sweep takes it, removed unless placed, and swept by the
// next write or open of that name if the program is killed meanwhile.
class Scratch {
public:
    explicit Scratch(const std::string& target);
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    bool Ok() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }  // empty when not Ok
    const std::string& Error() const { return error_; }  // why it could not be made, as ReasonText says it
    // Renames the scratch over the target (a regular file or nothing), the
    // old file's permissions kept; flushed first. False with `error`.
    bool Place(std::string* error);

private:
    std::string target_, path_, error_;
    int fd_ = -1;
    bool placed_ = false;
};

// Removes what a killed replacement of `path` left beside it: files of the
// temporary pattern ".NAME.XXXXXX" that no running writer holds.
void SweepLeftovers(const std::string& path);

// Turns the unnamed temporary file off (for tests of the named fallback).
void SetUnnamedTemporaryAllowed(bool allowed);

}  // namespace vinta::safefile
