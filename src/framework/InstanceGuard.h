#pragma once
// One running copy per user and display: an exclusive lock on a file named
// after the application and the display in a folder of the user's own. The
// kernel drops the lock when the process ends, however it ends.

#include <string>

namespace vinta {

// The user's folder for the lock and the hand-over socket. Not
// $XDG_RUNTIME_DIR, which differs with how a program was started (su, ssh, a
// service): /run/user/UID, else a private /tmp/vinta-UID.
// $VINTA_RUNTIME_DIR, when set, wins (tests keep their copies apart with it).
std::string InstanceFolder();
// The display a copy runs on, as part of a file name: ":0" and ":0.0" alike.
std::string DisplayKey(const char* x11Display, const char* waylandDisplay);

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
