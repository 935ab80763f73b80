#include "TaskLinks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "store/LittleEndian.h"

namespace vinta {

void TaskLinks::Assign(std::vector<TaskLink> links) {
    links_ = std::move(links);
    ++revision_;
}

const TaskLink* TaskLinks::Find(int32_t from, int32_t to) const {
    for (const TaskLink& l : links_)
        if (l.from == from && l.to == to) return &l;
    return nullptr;
}

std::vector<TaskLink> TaskLinks::Into(int32_t to) const {
    std::vector<TaskLink> into;
    for (const TaskLink& l : links_)
        if (l.to == to) into.push_back(l);
    return into;
}

bool TaskLinks::WouldCycle(int32_t from, int32_t to) const {
    if (from == to) return true;
    std::unordered_multimap<int32_t, int32_t> next;
    next.reserve(links_.size());
    for (const TaskLink& l : links_) next.emplace(l.from, l.to);
    std::vector<int32_t> stack{to};
    std::unordered_set<int32_t> seen{to};
    while (!stack.empty()) {
        const int32_t at = stack.back();
        stack.pop_back();
        auto [first, last] = next.equal_range(at);
        for (auto it = first; it != last; ++it) {
            if (it->second == from) return true;
            if (seen.insert(it->second).second) stack.push_back(it->second);
        }
    }
    return false;
}

LinkVerdict TaskLinks::Add(const TaskLink& link) {
    if (link.from == link.to) return LinkVerdict::SameRow;
    if (link.lag < -kMaxLagDays || link.lag > kMaxLagDays || !IsLinkKind(static_cast<int32_t>(link.kind)))
        return LinkVerdict::BadLag;
    for (TaskLink& l : links_) {
        if (l.from != link.from || l.to != link.to) continue;
        if (l == link) return LinkVerdict::Unchanged;
        l = link;
        ++revision_;
        return LinkVerdict::Replaced;
    }
    if (WouldCycle(link.from, link.to)) return LinkVerdict::Cycle;
    links_.push_back(link);
    ++revision_;
    return LinkVerdict::Added;
}

bool TaskLinks::Remove(int32_t from, int32_t to) {
    auto it = std::find_if(links_.begin(), links_.end(), [&](const TaskLink& l) { return l.from == from && l.to == to; });
    if (it == links_.end()) return false;
    links_.erase(it);
    ++revision_;
    return true;
}

namespace {

using le::GetInt;
using le::PutInt;

constexpr size_t kLinkBytes = 16;

}  // namespace

uint32_t Crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string EncodeLinksBlock(const std::vector<TaskLink>& links) {
    std::string payload;
    payload.reserve(4 + links.size() * kLinkBytes);
    PutInt(payload, static_cast<int32_t>(links.size()));
    for (const TaskLink& l : links) {
        PutInt(payload, l.from);
        PutInt(payload, l.to);
        PutInt(payload, static_cast<int32_t>(l.kind));
        PutInt(payload, l.lag);
    }
    std::string block(kLinksMarker);
    PutInt(block, kLinksVersion);
    PutInt(block, static_cast<int32_t>(payload.size()));
    block += payload;
    PutInt(block, static_cast<int32_t>(Crc32(payload)));
    return block;
}

int64_t LinksBlockLength(std::string_view head) {
    if (head.size() < kLinksHead || head.substr(0, kLinksMarker.size()) != kLinksMarker) return -1;
    return GetInt(head.data() + 12);
}

LinksRead DecodeLinksBlock(std::string_view bytes) {
    LinksRead read;
    // A file cut inside the marker was cut inside its links.
    if (bytes.size() < kLinksMarker.size()) {
        if (!bytes.empty() && kLinksMarker.starts_with(bytes)) read.found = LinksFound::Damaged;
        return read;
    }
    if (bytes.substr(0, kLinksMarker.size()) != kLinksMarker) return read;
    read.found = LinksFound::Damaged;
    if (bytes.size() < kLinksHead) return read;
    if (GetInt(bytes.data() + 8) > kLinksVersion) {
        read.found = LinksFound::Newer;
        return read;
    }
    const int64_t length = LinksBlockLength(bytes);
    if (GetInt(bytes.data() + 8) < 1 || length < 4 || static_cast<uint64_t>(length) + 4 > bytes.size() - kLinksHead)
        return read;
    const std::string_view payload = bytes.substr(kLinksHead, static_cast<size_t>(length));
    if (static_cast<uint32_t>(GetInt(payload.data() + payload.size())) != Crc32(payload)) return read;
    const int32_t count = GetInt(payload.data());
    if (count < 0 || static_cast<uint64_t>(count) * kLinkBytes + 4 != payload.size()) return read;
    std::vector<TaskLink> links;
    links.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const char* p = payload.data() + 4 + static_cast<size_t>(i) * kLinkBytes;
        const TaskLink l{GetInt(p), GetInt(p + 4), static_cast<LinkKind>(GetInt(p + 8)), GetInt(p + 12)};
        if (!IsLinkKind(GetInt(p + 8)) || l.from == l.to || l.lag < -kMaxLagDays || l.lag > kMaxLagDays) return read;
        links.push_back(l);
    }
    read.found = LinksFound::Read;
    read.links = std::move(links);
    return read;
}

}  // namespace vinta
