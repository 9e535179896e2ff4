#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as the module meets it: from any client, so possibly broken.

// The code point starting at text[at] and its length in bytes; an invalid or
// cut sequence gives length 1 and code point 0xFFFD.
struct Utf8Char {
    char32_t code;
    std::size_t length;
    bool valid;
};
Utf8Char decodeUtf8(std::string_view text, std::size_t at);

void appendUtf8(std::string& out, char32_t code);

// Marks that belong to the character before them (combining marks, voiced
// sound marks, variation selectors, joiners): a text is never cut just
// before one.
bool continuesCharacter(char32_t code);

// The bytes Open JTalk's own buffers hold for the text: it widens every
// printable ASCII character to its full-width form (three bytes) before
// analysing it, and its buffers overflow past about a kilobyte.
std::size_t jtalkBytes(std::string_view text);
