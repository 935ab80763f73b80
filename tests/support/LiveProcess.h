#pragma once
// A process of this host that lives until the test lets it go: someone else
// holding a schedule open, as far as its lock can tell.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vinta::testing {

class LiveProcess {
public:
    LiveProcess() {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::pause();
            ::_exit(0);
        }
    }
    ~LiveProcess() { End(); }
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;
    void End() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        // Kept, so that tests can ask about a process that is gone.
        ended_ = pid_;
        pid_ = 0;
    }
    pid_t Pid() const { return pid_ ? pid_ : ended_; }

private:
    pid_t pid_ = 0, ended_ = 0;
};

}  // namespace vinta::testing
