#pragma once
// Paths where a document or settings file is expected but something else
// stands: each must read as "cannot be read", at once, without harm.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vinta::testing {

struct HostilePath {
    std::string kind;
    std::string path;
};

// Makes them inside `dir` (the devices are the system's own).
inline std::vector<HostilePath> MakeHostilePaths(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    fs::create_directories(dir / "folder.kts");
    ::mkfifo((dir / "fifo.kts").c_str(), 0600);
    fs::create_symlink(dir / "nowhere.kts", dir / "dangling.kts");
    return {{"folder", (dir / "folder.kts").string()},
            {"fifo", (dir / "fifo.kts").string()},
            {"dangling link", (dir / "dangling.kts").string()},
            {"/dev/zero", "/dev/zero"},
            {"/dev/null", "/dev/null"}};
}

// A sparse file of `bytes` that starts with `head`; costs no disk space.
inline std::string MakeSparseFile(const std::filesystem::path& path, const std::string& head, off_t bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), f);
    std::fclose(f);
    ::truncate(path.c_str(), bytes);
    return path.string();
}

}  // namespace vinta::testing
