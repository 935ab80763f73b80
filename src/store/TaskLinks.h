#pragma once
// Links between tasks: "this one waits for that one". A link names its two
// rows by their serial numbers, so inserts, deletions, moves, level changes
// and folds leave it alone; a link whose row is gone is simply not shown and
// not saved, and is there again when an undo brings the row back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vinta {

enum class LinkKind : int32_t { FinishToStart = 0, StartToStart = 1, FinishToFinish = 2, StartToFinish = 3 };
constexpr int kLinkKinds = 4;
inline bool IsLinkKind(int32_t k) { return k >= 0 && k < kLinkKinds; }
// The kinds' codes as other planners write them: "FS", "SS", "FF", "SF".
inline constexpr const char* kLinkKindCodes[kLinkKinds] = {"FS", "SS", "FF", "SF"};
inline const char* KindCode(LinkKind kind) { return kLinkKindCodes[static_cast<int>(kind)]; }
// The kind of a code as written (capitals); none for another text.
inline std::optional<LinkKind> KindOfCode(std::string_view code) {
    for (int k = 0; k < kLinkKinds; ++k)
        if (code == kLinkKindCodes[k]) return static_cast<LinkKind>(k);
    return std::nullopt;
}

struct TaskLink {
    int32_t from = 0;  // the predecessor's serial
    int32_t to = 0;    // the successor's serial
    LinkKind kind = LinkKind::FinishToStart;
    int32_t lag = 0;   // days; negative: a lead
    friend bool operator==(const TaskLink&, const TaskLink&) = default;
};

// Lags beyond ten years either way are refused: no plan means them, and the
// arithmetic on dates stays far inside the calendar.
constexpr int32_t kMaxLagDays = 3660;

enum class LinkVerdict { Added, Replaced, Unchanged, SameRow, Cycle, BadLag };

class TaskLinks {
public:
    const std::vector<TaskLink>& All() const { return links_; }
    bool Empty() const { return links_.empty(); }
    size_t Size() const { return links_.size(); }
    // Grows with every change, for what is derived from the links.
    uint64_t Revision() const { return revision_; }

    // Takes `links` as they are (a file's, an undo's).
    void Assign(std::vector<TaskLink> links);
    void Clear() { Assign({}); }
    // Adds the link, or changes the kind and lag of the one between the same
    // two rows. Refused when it would close a circle or joins a row to itself.
    LinkVerdict Add(const TaskLink& link);
    bool Remove(int32_t from, int32_t to);
    const TaskLink* Find(int32_t from, int32_t to) const;
    // The links into `to` (its predecessors), in the order they were made.
    std::vector<TaskLink> Into(int32_t to) const;
    // Whether `to` already leads, through links, to `from`.
    bool WouldCycle(int32_t from, int32_t to) const;

private:
    std::vector<TaskLink> links_;
    uint64_t revision_ = 0;
};

// The block the links are kept in, after a schedule file's last table:
// marker, version, payload length, payload (count, then each link as four
// 32-bit little-endian numbers), and the payload's CRC-32.
inline constexpr std::string_view kLinksMarker{"VintaLnk", 8};
constexpr int32_t kLinksVersion = 1;
constexpr size_t kLinksHead = 16;  // marker, version, length

std::string EncodeLinksBlock(const std::vector<TaskLink>& links);

enum class LinksFound { None, Read, Damaged, Newer };
struct LinksRead {
    LinksFound found = LinksFound::None;
    std::vector<TaskLink> links;
};
// What the bytes after the last table hold. No marker: none (other writers
// may leave bytes there). Anything short of a whole, checked block loses
// every link, never a part.
LinksRead DecodeLinksBlock(std::string_view bytes);
// The payload length a block's head declares; -1 when `head` is no block head.
int64_t LinksBlockLength(std::string_view head);

uint32_t Crc32(std::string_view bytes);

}  // namespace vinta
