#include "InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vinta {

InstanceGuard::InstanceGuard(const std::string& name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir && *dir)
        path_ = std::string(dir) + "/" + name + ".lock";
    else
        path_ = "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
