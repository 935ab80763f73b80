// vinta-kts: schedules from the command line, for scripts and version control.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "KtsCommon.h"
#include "KtsDump.h"
#include "KtsExchange.h"
#ifdef VINTA_EXPORT
#include "KtsExport.h"
#endif
#include "KtsGenerate.h"
#include "components/Holidays.h"
#include "store/ScheduleDocument.h"

namespace {

using vinta::kts::kExitIo;
using vinta::kts::kExitOk;
using vinta::kts::kExitUsage;
using vinta::kts::Load;

const char kUsage[] =
    "usage:\n"
    "  vinta-kts new [--force] OUT.kts                  write a new, empty schedule\n"
    "  vinta-kts dump FILE.kts                          print the schedule as JSON (UTF-8)\n"
    "  vinta-kts generate --rows N [--seed S] [--links L] [--force] OUT.kts\n"
    "                                                   write a sample schedule of N outline rows\n"
    "  vinta-kts export FILE.kts OUT.xml|OUT.ics        Microsoft Project XML, or iCalendar to-dos\n"
    "  vinta-kts import [--force] IN.xml|IN.planner|IN.ics|IN.csv OUT.kts\n"
    "                                                   a schedule from MS Project XML, Planner,\n"
    "                                                   iCalendar or CSV\n"
    "  vinta-kts export FILE.kts OUT.pdf|OUT.png|OUT.csv [--view year|week|month] [--from yyyy/mm]\n"
    "            [--size WxH] [--encoding cp932|utf8]\n"
    "                                                   printed pages (A4 landscape), the window's\n"
    "                                                   panes as a picture, or the outline as CSV\n"
    "  vinta-kts holidays YEAR [LAST_YEAR]              Japan's national holidays, yyyy/mm/dd,name\n"
    "  vinta-kts --help                                 this text\n"
    "new, generate and import refuse a schedule open in a Vinta window (its lock file beside it)\n"
    "unless --force.\n"
    "exit status: 0 done, 1 file cannot be read or written, or open in a window, 2 not a schedule\n"
    "             file, 3 written by a newer version, 64 wrong usage\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "vinta-kts: %s\n%s", problem, kUsage);
    return kExitUsage;
}

// Set by --force: write a schedule even where a window has it open.
bool force = false;

int Save(vinta::ScheduleDocument& s, const std::string& path) {
    if (int status = vinta::kts::RefuseLocked(path, force); status != kExitOk) return status;
    if (!s.store.SaveToFile(path)) {
        std::fprintf(stderr, "vinta-kts: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return kExitIo;
    }
    return kExitOk;
}

int New(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("new takes one file name");
    vinta::ScheduleDocument s;
    return Save(s, args[0]);
}

int Dump(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("dump takes one file name");
    const std::string& path = args[0];
    vinta::ScheduleDocument s;
    if (int status = Load(path, s); status != kExitOk) return status;
    const bool written = vinta::WriteJson(s, [](std::string_view piece) {
        return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    });
    if (!written || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "vinta-kts: cannot write the dump of %s\n", path.c_str());
        return kExitIo;
    }
    return kExitOk;
}

bool ParseNumber(const std::string& text, long long lo, long long hi, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && errno == 0 && value >= lo && value <= hi;
}

int Generate(const std::vector<std::string>& args) {
    vinta::GenerateOptions o;
    bool haveRows = false;
    std::string out;
    for (size_t i = 0; i < args.size(); ++i) {
        long long v = 0;
        if (args[i] == "--links") {
            if (i + 1 >= args.size() || !ParseNumber(args[++i], 0, 10000000, v))
                return Usage("--links takes a number from 0 to 10000000");
            o.links = static_cast<int>(v);
        } else if (args[i] == "--rows" || args[i] == "--seed") {
            if (i + 1 >= args.size()) return Usage((args[i] + " needs a value").c_str());
            bool rows = args[i] == "--rows";
            if (!ParseNumber(args[++i], rows ? 1 : 0, rows ? 10000000 : 4294967295LL, v))
                return Usage(rows ? "--rows takes a number from 1 to 10000000" : "--seed takes a number from 0 to 4294967295");
            if (rows) {
                o.rows = static_cast<int>(v);
                haveRows = true;
            } else {
                o.seed = static_cast<uint32_t>(v);
            }
        } else if (out.empty() && !args[i].starts_with("--")) {
            out = args[i];
        } else {
            return Usage(("unexpected argument " + args[i]).c_str());
        }
    }
    if (!haveRows || out.empty()) return Usage("generate needs --rows N and a file name");
    vinta::ScheduleDocument s;
    vinta::GenerateSchedule(s, o);
    return Save(s, out);
}

}  // namespace

int Holidays(const std::vector<std::string>& args) {
    long long first = 0, last = 0;
    if (args.empty() || args.size() > 2 || !ParseNumber(args[0], vinta::kFirstHolidayYear, 9999, first))
        return Usage("holidays takes YEAR [LAST_YEAR], from 1955 to 9999");
    last = first;
    if (args.size() == 2 && (!ParseNumber(args[1], first, 9999, last)))
        return Usage("LAST_YEAR must be from YEAR to 9999");
    std::string out;
    for (long long y = first; y <= last; ++y)
        for (const vinta::Holiday& h : vinta::JapaneseHolidays(static_cast<int>(y))) out += vinta::HolidayLine(h) + "\n";
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    {
        std::fprintf(stderr, "vinta-kts: cannot write the list\n");
        return kExitIo;
    }
    return kExitOk;
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "new" || command == "generate" || command == "import") {
        const auto flag = std::find(args.begin(), args.end(), std::string("--force"));
        force = flag != args.end();
        if (force) args.erase(flag);
    }
    if (command == "new") return New(args);
    if (command == "dump") return Dump(args);
    if (command == "generate") return Generate(args);
    if (command == "holidays") return Holidays(args);
    if (command == "import") {
        if (args.size() != 2) return Usage("import takes IN.xml|IN.planner|IN.ics|IN.csv and OUT.kts");
        return vinta::ImportCommand(args[0], args[1], force);
    }
    if (command == "export" && args.size() == 2 && vinta::IsExchangeFormat(args[1])) {
        vinta::ScheduleDocument s;
        if (int status = Load(args[0], s); status != kExitOk) return status;
        return vinta::ExportExchange(s, args[0], args[1]);
    }
#ifdef VINTA_EXPORT
    if (command == "export") return vinta::ExportCommand(args);
#else
    if (command == "export") return Usage("export is not built in (VINTA_GUI=OFF)");
#endif
    return Usage(("unknown command " + command).c_str());
}
