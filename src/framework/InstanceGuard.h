#pragma once
// One running copy per user: an exclusive lock on a file named after the
// application in the user's runtime folder. The kernel drops the lock when
// the process ends, however it ends.

#include <string>

namespace vinta {

class InstanceGuard {
public:
    explicit InstanceGuard(const std::string& name);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    // false when another process holds the lock.
    bool Acquired() const { return acquired_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool acquired_ = false;
};

}  // namespace vinta
