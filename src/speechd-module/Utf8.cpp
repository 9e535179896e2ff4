#include "Utf8.h"

Utf8Char decodeUtf8(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return {lead, 1, true};
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return {0xFFFD, 1, false};
    }
    if (at + length > text.size())
        return {0xFFFD, 1, false};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return {0xFFFD, 1, false};
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return {0xFFFD, 1, false};
    return {code, length, true};
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool continuesCharacter(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F)     // combining diacritics
           || (c >= 0x3099 && c <= 0x309A)  // combining (han)dakuten
           || (c >= 0xFE00 && c <= 0xFE0F)  // variation selectors
           || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF);
}

std::size_t jtalkBytes(std::string_view text)
{
    std::size_t bytes = 0;
    for (const char c : text)
        bytes += (c >= 0x20 && c < 0x7F) ? 3 : 1;
    return bytes;
}
