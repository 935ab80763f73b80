#pragma once
// Reading the XML other planners write, one piece at a time: a file of
// hundreds of megabytes never sits in memory whole. The encodings those
// programs declare (UTF-8, UTF-16, ISO-8859-1, windows-1252, Shift_JIS) are
// all read; an entity the document does not define itself refuses the file,
// and nothing outside the document is ever fetched.

#include <iosfwd>
#include <string>
#include <string_view>

namespace vinta {

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // `name` is the element's local name, its namespace left aside;
    // `attributes` alternate name and value, ending in a null.
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
    // The line the element being started stands on, from 1.
    long line = 0;
};

// Feeds the document to `handler`. False with `error` ("line 7: ...") when
// it is not well-formed XML, declares an encoding nobody here reads, uses an
// undefined or outside entity, or cannot be read.
bool ParseXml(std::string_view bytes, XmlHandler& handler, std::string& error);
bool ParseXml(std::istream& in, XmlHandler& handler, std::string& error);

}  // namespace vinta
