#include "ReadingFixes.h"

#include "Utf8.h"

#include <cctype>

namespace
{

struct Fix {
    std::string_view written;
    std::string_view read;
    // Only as a word of its own among Latin letters: "Tab", not "Table".
    bool latinWord;
};

// Each was heard wrong in open_jtalk's trace (its pronunciation field).
constexpr Fix Fixes[] = {
    // 件 after three takes the voiced reading: サンゲン.
    {"3件", "3ケン", false},
    {"３件", "３ケン", false},
    {"三件", "三ケン", false},
    // Spelled: ティーエービー (TAB in capitals is read タブ).
    {"Tab", "タブ", true},
};

bool isLatinLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string withReadingFixes(std::string_view line)
{
    std::string out;
    out.reserve(line.size() + 8);
    for (std::size_t i = 0; i < line.size();) {
        bool fixed = false;
        for (const Fix& fix : Fixes) {
            if (line.substr(i, fix.written.size()) != fix.written)
                continue;
            const std::size_t end = i + fix.written.size();
            if (fix.latinWord
                && ((i > 0 && isLatinLetter(line[i - 1])) || (end < line.size() && isLatinLetter(line[end]))))
                continue;
            out += fix.read;
            i = end;
            fixed = true;
            break;
        }
        if (!fixed) {
            const std::size_t length = decodeUtf8(line, i).length;
            out.append(line.substr(i, length));
            i += length;
        }
    }
    return out;
}
