#include "SsmlText.h"

#include "Utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace
{

constexpr char32_t JapaneseComma = U'、';

bool startsWithWord(std::string_view tag, std::string_view word)
{
    if (tag.substr(0, word.size()) != word)
        return false;
    return tag.size() == word.size() || !std::isalnum(static_cast<unsigned char>(tag[word.size()]));
}

// The entity at text[at] ("&...;"), appended to out; false when it is none
// this module knows, and the "&" is then said as it stands.
bool appendEntity(std::string_view text, std::size_t at, std::string& out, std::size_t& length)
{
    // No entity is longer; a stray "&" must not make each one search the rest.
    const std::size_t end = text.substr(0, at + 13).find(';', at);
    if (end == std::string_view::npos)
        return false;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    char32_t code = 0;
    if (name == "amp")
        code = '&';
    else if (name == "lt")
        code = '<';
    else if (name == "gt")
        code = '>';
    else if (name == "quot")
        code = '"';
    else if (name == "apos")
        code = '\'';
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        if (digits.empty() || digits.size() > 8)
            return false;
        char* stop = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
        if (*stop != '\0' || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        code = static_cast<char32_t>(value);
    } else {
        return false;
    }
    std::string character;
    appendUtf8(character, code);
    out += character;
    length = end - at + 1;
    return true;
}

std::string attribute(std::string_view tag, std::string_view name)
{
    std::size_t at = 0;
    while ((at = tag.find(name, at)) != std::string_view::npos) {
        std::size_t i = at + name.size();
        const bool wordStart = at == 0 || std::isspace(static_cast<unsigned char>(tag[at - 1]));
        at = i;
        if (!wordStart)
            continue;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            continue;
        const std::size_t close = tag.find(tag[i], i + 1);
        if (close == std::string_view::npos)
            return {};
        return std::string(tag.substr(i + 1, close - i - 1));
    }
    return {};
}

// Entities inside an attribute value (a mark's name) are unescaped too.
std::string unescaped(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size();) {
        std::size_t length = 0;
        if (value[i] == '&' && appendEntity(value, i, out, length)) {
            i += length;
        } else {
            out += value[i];
            ++i;
        }
    }
    return out;
}

void appendBreak(std::string& text, char32_t what)
{
    if (text.empty() || text.back() == '\n')
        return;
    appendUtf8(text, what);
}

} // namespace

SsmlText SsmlText::parse(std::string_view message)
{
    SsmlText result;
    std::string& text = result.text;
    text.reserve(message.size());
    // The next ">", found once for every "<" before it: many a "<" without
    // one must not make each search the rest of the message.
    std::size_t close = 0;
    for (std::size_t i = 0; i < message.size();) {
        const char c = message[i];
        if (c == '<') {
            if (close != std::string_view::npos && close <= i)
                close = message.find('>', i + 1);
            if (close != std::string_view::npos) {
                std::string_view tag = message.substr(i + 1, close - i - 1);
                while (!tag.empty() && std::isspace(static_cast<unsigned char>(tag.front())))
                    tag.remove_prefix(1);
                if (startsWithWord(tag, "mark"))
                    result.marks.push_back({text.size(), unescaped(attribute(tag, "name"))});
                else if (startsWithWord(tag, "break"))
                    appendBreak(text, JapaneseComma);
                else if (startsWithWord(tag, "p") || startsWithWord(tag, "/p") || startsWithWord(tag, "s")
                         || startsWithWord(tag, "/s"))
                    appendBreak(text, '\n');
                i = close + 1;
                continue;
            }
        }
        if (c == '&') {
            std::size_t length = 0;
            std::string character;
            if (appendEntity(message, i, character, length)) {
                // An escaped control character is no more speakable than a raw one.
                const char32_t code = decodeUtf8(character, 0).code;
                if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
                    text += code == '\n' || code == '\r' ? '\n' : ' ';
                else
                    text += character;
                i += length;
                continue;
            }
        }
        const Utf8Char ch = decodeUtf8(message, i);
        if (!ch.valid) {
            ++result.invalidBytes;
        } else if (ch.code == '\r') {
            text += '\n';
            if (i + 1 < message.size() && message[i + 1] == '\n')
                ++i;
        } else if (ch.code == '\n') {
            text += '\n';
        } else if (ch.code < 0x20 || (ch.code >= 0x7F && ch.code <= 0x9F)) {
            text += ' ';
        } else {
            text.append(message.substr(i, ch.length));
        }
        i += ch.length;
    }
    return result;
}
