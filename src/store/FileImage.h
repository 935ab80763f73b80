#pragma once
// What a schedule file's image is made of: the file's head and each persisted
// table's head and grid. The store writes its own through one; a snapshot owns
// copies of the grids, so that its image can be written on another thread
// while the tables go on changing (a recovery copy of a million rows).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/ScheduleStore.h"

namespace vinta {

class FileImage {
public:
    static constexpr int kSlots = ScheduleStore::kSlots;

    char magic[16] = {};
    double version = 0.0;
    int32_t fixedRows[kSlots] = {};
    uint8_t hasHeader[kSlots] = {};
    ScheduleStore::TableHeader tables[kSlots];
    std::array<const StringGrid*, kSlots> grids{};  // the persisted tables; null for the others
    std::string trailer;  // after the last table: the links' block, or nothing

    int TableCount() const;
    // Each writes the image and sets each table's rowCount to what it wrote.
    // The whole image in memory.
    std::string Bytes();
    // The image in pieces of about a megabyte; false when `put` failed.
    bool WriteTo(const std::function<bool(std::string_view piece)>& put);
    // The grids become copies of their own.
    void Own();

private:
    // Appends the image to `out`, calling flush(out) whenever it holds `piece`
    // bytes or more, and at the end; false when a flush failed.
    bool Write(std::string& out, size_t piece, const std::function<bool(std::string& out)>& flush);
    std::vector<std::unique_ptr<StringGrid>> owned_;
};

}  // namespace vinta
