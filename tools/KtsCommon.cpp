#include "KtsCommon.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "runtime/DocumentLock.h"
#include "runtime/SafeFile.h"
#include "store/ScheduleDocument.h"

namespace vinta::kts {

namespace {

const char* WhyUnreadable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    return "read error";
}

}  // namespace

int Fail(int status, const std::string& what) {
    std::fprintf(stderr, "vinta-kts: %s\n", what.c_str());
    return status;
}

int Load(const std::string& path, ScheduleDocument& doc) {
    switch (doc.store.LoadFromFile(path)) {
        case kLoadRead: return kExitOk;
        case kLoadNotSchedule: return Fail(kExitNotSchedule, path + " is not a schedule file");
        case kLoadNewerVersion: return Fail(kExitNewer, path + " was written by a newer version");
        case kLoadTooLarge: return Fail(kExitIo, "cannot read " + path + ": larger than 1 GiB");
        default: return Fail(kExitIo, "cannot read " + path + ": " + WhyUnreadable(path));
    }
}

int Replace(const std::string& path, std::string_view bytes) {
    std::string why;
    if (!safefile::ReplaceFile(path, bytes, &why)) return Fail(kExitIo, "cannot write " + path + ": " + why);
    return kExitOk;
}

int RefuseLocked(const std::string& path, bool force) {
    const doclock::Found found = doclock::Inspect(path);
    if (force || (found.state != doclock::State::kLive && found.state != doclock::State::kForeign)) return kExitOk;
    const doclock::Holder& h = found.holder;
    char since[32] = "?";
    const std::time_t t = static_cast<std::time_t>(h.since);
    if (std::tm tm{}; ::localtime_r(&t, &tm)) std::strftime(since, sizeof since, "%Y-%m-%d %H:%M", &tm);
    return Fail(kExitIo, path + " is open in Vinta by " + h.user + " on " + h.host + " (process " +
                             std::to_string(h.pid) + ") since " + since + "; --force writes it anyway");
}

}  // namespace vinta::kts
