#include "Profile.h"

#include <charconv>
#include <sstream>
#include <vector>

#include "SafeFile.h"

namespace vinta {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// A settings file that cannot be read (a folder, a pipe, a device, a file of
// absurd size) reads as empty.
std::string ReadFile(const std::string& path) {
    std::string text;
    if (safefile::ReadRegularFile(path, Profile::kMaxFileBytes, text) != safefile::ReadStatus::kOk) return {};
    return text;
}


bool IsSection(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
}

bool IsKey(const std::string& line, const std::string& key, std::string* value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || !SameName(Trim(line.substr(0, eq)), key)) return false;
    if (value) *value = Trim(line.substr(eq + 1));
    return true;
}

// Index of the section's header line, or -1.
int FindSection(const std::vector<std::string>& lines, const std::string& section) {
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i)
        if (IsSection(lines[i], &name) && SameName(name, section)) return static_cast<int>(i);
    return -1;
}

bool BreaksLine(const std::string& s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos; }

void WriteAtomically(const std::string& path, const std::string& text) {
    std::string why;
    if (!safefile::ReplaceFile(path, text, &why)) throw ProfileError("cannot write " + path + ": " + why);
}

}  // namespace

std::string Profile::Text() const { return held_ ? heldText_ : ReadFile(path_); }

void Profile::Hold() {
    if (held_) return;
    heldText_ = ReadFile(path_);
    held_ = true;
}

void Profile::Flush() {
    if (!held_) return;
    held_ = false;
    WriteAtomically(path_, heldText_);
}

std::string Profile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    return ReadStringFrom(Text(), section, key, def);
}

std::string Profile::ReadStringFrom(std::string_view text, const std::string& section, const std::string& key,
                                    const std::string& def) {
    std::vector<std::string> lines = SplitLines(text);
    int s = FindSection(lines, section);
    if (s < 0) return def;
    std::string value;
    for (size_t i = static_cast<size_t>(s) + 1; i < lines.size() && !IsSection(lines[i], nullptr); ++i) {
        if (!IsKey(lines[i], key, &value)) continue;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.size() > kMaxValue) value.resize(kMaxValue);
        return value;
    }
    return def;
}

int Profile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    return ReadIntegerFrom(Text(), section, key, def);
}

int Profile::ReadIntegerFrom(std::string_view file, const std::string& section, const std::string& key, int def) {
    std::string text = ReadStringFrom(file, section, key, "");
    const char* first = text.data();
    const char* last = first + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    int value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (first == last || ec != std::errc() || ptr != last) return def;
    return value;
}

bool Profile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (BreaksLine(section) || BreaksLine(key) || key.find('=') != std::string::npos ||
        section.find(']') != std::string::npos)
        throw ProfileError("not a settings name: " + section + "/" + key);
    // A line break in a value would start lines of its own: another section,
    // another key. Such a value is not kept at all.
    const bool whole = !BreaksLine(value);
    std::string entry = key + "=" + (whole ? value : std::string());
    std::vector<std::string> lines = SplitLines(Text());
    int s = FindSection(lines, section);
    if (s < 0) {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else {
        size_t end = static_cast<size_t>(s) + 1;
        size_t lastKey = static_cast<size_t>(s);
        bool replaced = false;
        for (; end < lines.size() && !IsSection(lines[end], nullptr); ++end) {
            if (IsKey(lines[end], key, nullptr)) {
                lines[end] = entry;
                replaced = true;
                break;
            }
            if (!Trim(lines[end]).empty()) lastKey = end;
        }
        if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey) + 1, entry);
    }
    std::ostringstream out;
    for (const std::string& l : lines) out << l << "\n";
    if (held_)
        heldText_ = out.str();
    else
        WriteAtomically(path_, out.str());
    return whole;
}

void Profile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

}  // namespace vinta
