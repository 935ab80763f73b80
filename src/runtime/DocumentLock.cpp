#include "DocumentLock.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Clock.h"
#include "SafeFile.h"

namespace vinta::doclock {

namespace {

constexpr std::string_view kFirstLine = "Vinta lock 1";
constexpr int64_t kMaxLock = 4096;

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::string UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    return std::to_string(::geteuid());
}

// Field 22 of /proc/PID/stat, after the command name in parentheses (which
// may hold spaces and parentheses itself).
long long StartTicks(long long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && rest >> field; ++i)
        if (i == 22) return std::atoll(field.c_str());
    return 0;
}

bool Running(const Holder& h) {
    if (h.pid <= 0 || (::kill(static_cast<pid_t>(h.pid), 0) != 0 && errno != EPERM)) return false;
    // A process number handed out again after a reboot or a long run is not the holder.
    const long long started = StartTicks(h.pid);
    return h.started == 0 || started == 0 || started == h.started;
}

long long Number(std::string_view text) {
    long long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && end == text.data() + text.size() ? v : 0;
}

}  // namespace

std::string LockPathFor(const std::string& document) {
    const std::filesystem::path p(document);
    return (p.parent_path() / (".~lock." + p.filename().string() + "#")).string();
}

Holder Me() {
    const long long since =
        std::chrono::duration_cast<std::chrono::seconds>(clock::Now().time_since_epoch()).count();
    return {UserName(), HostName(), ::getpid(), StartTicks(::getpid()), since};
}

std::string Format(const Holder& h) {
    return std::string(kFirstLine) + "\nuser=" + h.user + "\nhost=" + h.host + "\npid=" + std::to_string(h.pid) +
           "\nstarted=" + std::to_string(h.started) + "\nsince=" + std::to_string(h.since) + "\n";
}

std::optional<Holder> Parse(std::string_view text) {
    Holder h;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "user") h.user = value;
        else if (key == "host") h.host = value;
        else if (key == "pid") h.pid = Number(value);
        else if (key == "started") h.started = Number(value);
        else if (key == "since") h.since = Number(value);
    }
    if (h.host.empty() || h.pid <= 0) return std::nullopt;
    return h;
}

Found Inspect(const std::string& document) {
    std::string text;
    const std::string path = LockPathFor(document);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return {};
    if (safefile::ReadRegularFile(path, kMaxLock, text) != safefile::ReadStatus::kOk) return {State::kStale, {}};
    const std::optional<Holder> h = Parse(text);
    if (!h) return {State::kStale, {}};
    if (h->host != HostName()) return {State::kForeign, *h};
    if (!Running(*h)) return {State::kStale, *h};
    const bool mine = h->pid == ::getpid() && (h->started == 0 || h->started == StartTicks(::getpid()));
    return {mine ? State::kMine : State::kLive, *h};
}

bool Take(const std::string& document, bool replace, std::string* error) {
    const std::string text = Format(Me());
    const std::string path = LockPathFor(document);
    // A window killed while it wrote a lock left it half written under a hidden name.
    safefile::SweepLeftovers(path);
    return replace ? safefile::ReplaceFile(path, text, error) : safefile::CreateFileExclusive(path, text, error);
}

void Release(const std::string& document) {
    if (Inspect(document).state != State::kMine) return;
    ::unlink(LockPathFor(document).c_str());
}

}  // namespace vinta::doclock
