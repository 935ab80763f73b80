#include "UpdateCheck.h"

#include <QNetworkInterface>
#include <algorithm>

#include "runtime/Profile.h"
#include "update/Version.h"

namespace vinta {

std::string FileVersion() { return VINTA_FILE_VERSION; }

QString VersionUrl(const QString& settingsPath) {
    Profile ini(settingsPath.toStdString());
    std::string url = ini.ReadString("ENV", "VersionURL", "");
    return QString::fromStdString(url.empty() ? std::string(VINTA_VERSION_URL) : url);
}

std::vector<std::string> VersionFileLines(const std::string& body) {
    size_t rest = 0;
    return VersionFileLines(body, body.size() + 1, rest);
}

std::vector<std::string> VersionFileLines(const std::string& body, size_t maxLines, size_t& rest) {
    std::vector<std::string> lines;
    rest = 0;
    size_t start = 0;
    while (start < body.size()) {
        if (lines.size() == maxLines) {
            // Every line break left, and a last line without one.
            rest = static_cast<size_t>(std::count(body.begin() + static_cast<std::ptrdiff_t>(start), body.end(), '\n'));
            if (body.back() != '\n') ++rest;
            break;
        }
        size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        std::string line = body.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool VersionIsOlder(const std::string& current, const std::string& latest) {
    // char_traits<char> compares as unsigned char, like the bytes they are.
    return current.compare(latest) < 0;
}

bool IsConnected() {
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        auto f = i.flags();
        if (f.testFlag(QNetworkInterface::IsUp) && f.testFlag(QNetworkInterface::IsRunning) &&
            !f.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

UpdateTexts& ProgramUpdateTexts() {
    static UpdateTexts texts;
    return texts;
}

}  // namespace vinta
