#include "InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vinta {

namespace {

// A folder only this user can write into: no one else can put a lock or a
// socket there in our name.
bool IsPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

const char* Env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

}  // namespace

std::string InstanceFolder() {
    if (const char* own = Env("VINTA_RUNTIME_DIR")) return own;
    const std::string uid = std::to_string(::getuid());
    const std::string session = "/run/user/" + uid;
    if (IsPrivateFolder(session)) return session;
    const std::string tmp = "/tmp/vinta-" + uid;
    ::mkdir(tmp.c_str(), 0700);
    if (IsPrivateFolder(tmp)) return tmp;
    const char* home = Env("HOME");
    return home ? home : "/";
}

std::string DisplayKey(const char* x11, const char* wayland) {
    std::string key;
    if (x11 && *x11) {
        key = x11;
        // ":0" and ":0.0" are one display; the screen after the dot is not.
        const size_t colon = key.rfind(':');
        const size_t dot = key.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos) key.resize(dot);
    } else if (wayland && *wayland) {
        key = wayland;
    }
    for (char& c : key)
        if (c == '/') c = '_';
    return key;
}

InstanceGuard::InstanceGuard(const std::string& name) {
    const std::string display = DisplayKey(Env("DISPLAY"), Env("WAYLAND_DISPLAY"));
    path_ = InstanceFolder() + "/" + name + (display.empty() ? "" : "-" + display) + ".lock";
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // A lock file we cannot open does not keep the user from working.
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

InstanceGuard::~InstanceGuard() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace vinta
