#include "exchange/XmlStream.h"

#include <expat.h>
#include <strings.h>

#include <algorithm>
#include <istream>
#include <memory>

#include "runtime/Sjis.h"

namespace vinta {

namespace {

// windows-1252's letters in 0x80–0x9F; zero where it has none.
constexpr unsigned short kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool NameIs(const char* name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [name](const char* n) { return strcasecmp(name, n) == 0; });
}

// The character of a double-byte Shift-JIS sequence, or -1.
int SjisPair(void*, const char* s) {
    const std::string utf8 = sjis::ToUtf8(std::string_view(s, 2));
    const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
    if (utf8.size() == 3 && (u[0] & 0xF0) == 0xE0) {
        const int c = ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
        return c == 0xFFFD ? -1 : c;
    }
    if (utf8.size() == 2 && (u[0] & 0xE0) == 0xC0) return ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
    return -1;
}

int XMLCALL OtherEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    for (int b = 0; b < 128; ++b) info->map[b] = b;
    if (NameIs(name, {"windows-1252", "cp1252", "x-cp1252"})) {
        for (int b = 128; b < 256; ++b) info->map[b] = b < 160 ? (kCp1252High[b - 128] ? kCp1252High[b - 128] : -1) : b;
        return XML_STATUS_OK;
    }
    if (NameIs(name, {"Shift_JIS", "Shift-JIS", "SJIS", "x-sjis", "MS_Kanji", "windows-31j", "cp932", "csShiftJIS"})) {
        for (int b = 128; b < 256; ++b)
            info->map[b] = sjis::IsLeadByte(static_cast<unsigned char>(b)) ? -2
                           : b >= 0xA1 && b <= 0xDF                      ? 0xFF61 + (b - 0xA1)
                                                                         : -1;
        info->convert = SjisPair;
        return XML_STATUS_OK;
    }
    return XML_STATUS_ERROR;
}

struct Context {
    XML_Parser parser;
    XmlHandler* handler;
    std::string refused;  // why the parse was stopped, when it was
};

std::string_view Local(const char* name) {
    std::string_view n(name);
    const size_t bar = n.rfind('|');
    return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

std::string At(XML_Parser p) { return "line " + std::to_string(XML_GetCurrentLineNumber(p)) + ": "; }

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* c = static_cast<Context*>(data);
    c->handler->line = static_cast<long>(XML_GetCurrentLineNumber(c->parser));
    c->handler->Start(Local(name), attributes);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) { static_cast<Context*>(data)->handler->End(Local(name)); }

void XMLCALL OnText(void* data, const XML_Char* s, int len) {
    static_cast<Context*>(data)->handler->Text(std::string_view(s, static_cast<size_t>(len)));
}

// A reference whose meaning lies outside the document (an undeclared entity
// in a document with an outside DTD) would silently become nothing.
void XMLCALL OnSkipped(void* data, const XML_Char* name, int) {
    auto* c = static_cast<Context*>(data);
    c->refused = At(c->parser) + "the entity \"" + name + "\" is not defined in the file";
    XML_StopParser(c->parser, XML_FALSE);
}

int XMLCALL OnOutside(XML_Parser p, const XML_Char*, const XML_Char*, const XML_Char* systemId, const XML_Char*) {
    auto* c = static_cast<Context*>(XML_GetUserData(p));
    c->refused = At(p) + "an entity outside the file (" + (systemId ? systemId : "") + ") is not read";
    return XML_STATUS_ERROR;
}

using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)>;

Parser Make(Context& c) {
    Parser p(XML_ParserCreateNS(nullptr, '|'), &XML_ParserFree);
    c.parser = p.get();
    XML_SetUserData(p.get(), &c);
    XML_SetElementHandler(p.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(p.get(), OnText);
    XML_SetSkippedEntityHandler(p.get(), OnSkipped);
    XML_SetExternalEntityRefHandler(p.get(), OnOutside);
    XML_SetUnknownEncodingHandler(p.get(), OtherEncoding, nullptr);
    XML_SetParamEntityParsing(p.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    return p;
}

bool Failed(const Context& c, std::string& error) {
    if (!c.refused.empty())
        error = c.refused;
    else
        error = At(c.parser) + XML_ErrorString(XML_GetErrorCode(c.parser));
    return false;
}

}  // namespace

bool ParseXml(std::string_view bytes, XmlHandler& handler, std::string& error) {
    Context c{nullptr, &handler, {}};
    Parser p = Make(c);
    constexpr size_t kPiece = 1 << 24;  // the parser counts in int
    size_t at = 0;
    do {
        const size_t n = std::min(kPiece, bytes.size() - at);
        if (XML_Parse(p.get(), bytes.data() + at, static_cast<int>(n), at + n == bytes.size()) != XML_STATUS_OK)
            return Failed(c, error);
        at += n;
    } while (at < bytes.size());
    return true;
}

bool ParseXml(std::istream& in, XmlHandler& handler, std::string& error) {
    Context c{nullptr, &handler, {}};
    Parser p = Make(c);
    constexpr int kPiece = 1 << 16;
    for (;;) {
        void* buffer = XML_GetBuffer(p.get(), kPiece);
        if (!buffer) return Failed(c, error);
        in.read(static_cast<char*>(buffer), kPiece);
        if (in.bad()) return error = "the file could not be read", false;
        const auto n = static_cast<int>(in.gcount());
        const bool last = n == 0 || in.eof();
        if (XML_ParseBuffer(p.get(), n, last) != XML_STATUS_OK) return Failed(c, error);
        if (last) return true;
    }
}

}  // namespace vinta
