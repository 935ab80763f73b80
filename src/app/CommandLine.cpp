#include "app/CommandLine.h"

#include <set>

#include "update/Version.h"

namespace vinta {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine out;
    bool optionsEnd = false;
    for (const std::string& a : args) {
        if (!optionsEnd && (a == "--help" || a == "-h")) return {CommandLine::Kind::kHelp, {}, {}};
        if (!optionsEnd && (a == "--version" || a == "-v")) return {CommandLine::Kind::kVersion, {}, {}};
        if (!optionsEnd && a == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && a.size() > 1 && a[0] == '-') {
            if (out.kind != CommandLine::Kind::kError) out = {CommandLine::Kind::kError, {}, "unknown option: " + a};
        } else if (out.kind == CommandLine::Kind::kError) {
            continue;
        } else if (!out.file.empty()) {
            out = {CommandLine::Kind::kError, {}, "only one schedule can be opened: " + a};
        } else if (a.empty()) {
            out = {CommandLine::Kind::kError, {}, "empty file name"};
        } else {
            out.file = a;
        }
    }
    return out;
}

std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& args) {
    static const std::set<std::string> withValue = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                    "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                                    "geometry", "title", "name", "style", "stylesheet", "session"};
    static const std::set<std::string> alone = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        std::string name = a.rfind("--", 0) == 0 ? a.substr(2) : a.rfind('-', 0) == 0 ? a.substr(1) : std::string();
        const size_t eq = name.find('=');
        const bool hasValue = eq != std::string::npos;
        if (hasValue) name.resize(eq);
        if (withValue.count(name)) {
            if (!hasValue) ++i;
        } else if (!alone.count(name) && name.rfind("qmljsdebugger", 0) != 0) {
            out.push_back(a);
        }
    }
    return out;
}

std::string HelpText() {
    return "usage: vinta [FILE.kts]\n"
           "       vinta --help | --version\n"
           "\n"
           "Opens FILE.kts, or the schedule open when Vinta last ended. While Vinta runs,\n"
           "a second start hands FILE.kts to the running window and exits with status 255.\n";
}

std::string VersionText() { return std::string("vinta ") + VINTA_FILE_VERSION + "\n"; }

}  // namespace vinta
