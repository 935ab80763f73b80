#pragma once
// A settings file in INI form with the behaviour of the desktop's profile
// functions: sections and keys match without regard to letter case, lines the
// program does not know are kept, and every write reaches the file at once,
// unless held for one replacement of the file with the writes that belong together.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vinta {

class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Profile {
public:
    static constexpr size_t kMaxValue = 2047;
    // A larger settings file is not ours: it reads as empty.
    static constexpr int64_t kMaxFileBytes = 16 << 20;

    explicit Profile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Missing file, section or key: the default.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Hexadecimal for "0x..." longer than two characters, else decimal; text
    // that is not a whole integer gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // Throws ProfileError naming the file when it cannot be written, or when
    // the section or key could not stand in a settings line. A value holding
    // CR, LF or NUL is written empty: false then.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);

    // From Hold on, writes (and reads) go to a copy of the file in memory;
    // Flush replaces the file once with it, so that a failure leaves the whole
    // old file. Flush throws ProfileError as a write does.
    void Hold();
    void Flush();

    // The same reading on the text of a settings file.
    static std::string ReadStringFrom(std::string_view text, const std::string& section, const std::string& key,
                                      const std::string& def);
    static int ReadIntegerFrom(std::string_view text, const std::string& section, const std::string& key, int def);

private:
    std::string Text() const;
    std::string path_;
    bool held_ = false;
    std::string heldText_;
};

}  // namespace vinta
