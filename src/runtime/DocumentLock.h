#pragma once
// The lock file that lies beside an open schedule, as office suites keep
// one: hidden, named after the document, saying who has it open. It is
// advice between people, not an operating-system lock, so that it works the
// same on a network share, and it outlives a crash: a lock whose process is
// gone on this host is stale.

#include <optional>
#include <string>
#include <string_view>

namespace vinta::doclock {

struct Holder {
    std::string user;
    std::string host;
    long long pid = 0;
    long long started = 0;  // the process's start in clock ticks after boot; 0 where unknown
    long long since = 0;    // when the document was opened, seconds since 1970
};

// ".~lock.NAME#" in the document's folder.
std::string LockPathFor(const std::string& document);
// This process, opening now.
Holder Me();
std::string Format(const Holder& holder);
// Nothing when the text names no host or process.
std::optional<Holder> Parse(std::string_view text);

enum class State {
    kNone,     // no lock: free
    kMine,     // this process's own
    kStale,    // left by a process of this host that is gone, or unreadable
    kLive,     // a running process of this host
    kForeign,  // another host's: alive or not, nobody here can tell
};
struct Found {
    State state = State::kNone;
    Holder holder;
};
Found Inspect(const std::string& document);

// Writes this process's lock. Without `replace` it is written only where no
// lock lies (EEXIST otherwise); with it, whatever lies there is replaced.
// False with `error` (an errno text) when the folder takes no lock.
bool Take(const std::string& document, bool replace, std::string* error = nullptr);
// Removes the lock when it is this process's; another's is left alone.
void Release(const std::string& document);

}  // namespace vinta::doclock
