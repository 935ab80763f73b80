#pragma once
// The file system refuses bytes past a size (as a full disk would): root
// cannot get past this, unlike a read-only folder. SIGXFSZ is ignored while it
// lasts, so a write fails with EFBIG instead of ending the test.

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

namespace vinta::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{std::min(bytes, old_.rlim_max), old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

}  // namespace vinta::testing
