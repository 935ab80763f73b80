#pragma once
// What the update check works with, without a window: the version file's
// lines, the byte comparison of versions, the address to ask, and the three
// texts that live for the program run.

#include <QString>
#include <string>
#include <vector>

namespace vinta {

// The running program's "FileVersion", from the build.
std::string FileVersion();

// The version file's address: "VersionURL" in section "ENV" of the settings
// file when it is set there, else the one the program was built with.
QString VersionUrl(const QString& settingsPath);

// The body's lines, CR LF or LF.
std::vector<std::string> VersionFileLines(const std::string& body);
// At most `maxLines` of them; `rest` tells how many more there were, counted
// without making them.
std::vector<std::string> VersionFileLines(const std::string& body, size_t maxLines, size_t& rest);

// Byte by byte as unsigned values; a prefix is smaller than what it begins.
bool VersionIsOlder(const std::string& current, const std::string& latest);

// Is any network interface other than loopback up and running.
bool IsConnected();

struct UpdateTexts {
    std::string current;   // this program's version, read at each opening
    std::string latest;    // line 1 of the last reply that had one
    std::string download;  // line 2 of the last reply that had one
};

// The texts for the program run.
UpdateTexts& ProgramUpdateTexts();

}  // namespace vinta
