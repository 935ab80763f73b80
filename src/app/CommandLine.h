#pragma once
// What the program was asked to do on its command line. Kept free of Qt so
// --help and --version answer before any display is opened.

#include <string>
#include <vector>

namespace vinta {

struct CommandLine {
    enum class Kind { kRun, kHelp, kVersion, kError };
    Kind kind = Kind::kRun;
    std::string file;   // the schedule to open; empty for the remembered one
    std::string error;  // for kError, a line for standard error
};

// `args` excludes the program's own name. --help and --version win wherever
// they stand before "--", so a mistyped line still gets its answer.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// `args` without the options the toolkit takes for itself (-platform NAME,
// -style=NAME, -reverse, …), for a start that hands over before the toolkit
// has read them.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& args);

std::string HelpText();
std::string VersionText();

}  // namespace vinta
