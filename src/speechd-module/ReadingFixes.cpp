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
    // Spelled: ブイオーアールエヌアイエックス.
    {"VORNIX", "ヴォルニクス", true},
    // Providers' names, spelled (or エスオー、ネット), in addresses too.
    {"So-net", "ソネット", true},
    {"so-net", "ソネット", true},
    {"biglobe", "ビッグローブ", true},
    {"nifty", "ニフティ", true},
    {"dion", "ディオン", true},
    // シンディレクトリ.
    {"親ディレクトリ", "オヤディレクトリ", false},
    {"親フォルダ", "オヤフォルダ", false},
    // Not in the dictionary: nothing is said.
    {"髙", "高", false},
    {"○", "マル", false},
    {"△", "サンカク", false},
};

bool isLatinLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

const char* symbolName(char c)
{
    switch (c) {
    case '!': return "ビックリマーク";
    case '"': return "ダブルクォート";
    case '#': return "シャープ";
    case '$': return "ドル";
    case '%': return "パーセント";
    case '&': return "アンド";
    case '\'': return "シングルクォート";
    case '*': return "アスタリスク";
    case '+': return "プラス";
    case '-': return "ハイフン";
    case '.': return "ドット";
    case '/': return "スラッシュ";
    case ':': return "コロン";
    case ';': return "セミコロン";
    case '<': return "ショーナリ";
    case '=': return "イコール";
    case '>': return "ダイナリ";
    case '?': return "ハテナ";
    case '\\': return "バックスラッシュ";
    case '^': return "キャレット";
    case '_': return "アンダーバー";
    case '`': return "バッククォート";
    case '|': return "タテボー";
    case '~': return "チルダ";
    default: return nullptr;
    }
}

bool isTokenCharacter(char c)
{
    return c > 0x20 && c < 0x7F;
}

// The symbols of a run of printable ASCII, named where open_jtalk would drop them.
void appendToken(std::string_view token, std::string& out)
{
    bool alnum = false;
    for (const char c : token)
        alnum = alnum || std::isalnum(static_cast<unsigned char>(c));
    std::size_t end = token.size();
    // A full stop or comma ending the run belongs to the sentence.
    while (end > 0 && (token[end - 1] == '.' || token[end - 1] == ','))
        --end;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        const bool betweenDigits = i > 0 && i + 1 < token.size() && std::isdigit(static_cast<unsigned char>(token[i - 1]))
                                   && std::isdigit(static_cast<unsigned char>(token[i + 1]));
        const char* name = alnum && i < end && !(c == '.' && betweenDigits) ? symbolName(c) : nullptr;
        if (name) {
            out += ' ';
            out += name;
            out += ' ';
        } else {
            out += c;
        }
    }
}

// Words written with a symbol ("So-net") are fixed before symbols are named,
// the others after, so that a name inside an address is found as a word.
bool hasSymbol(std::string_view word)
{
    for (const char c : word) {
        if (symbolName(c))
            return true;
    }
    return false;
}

std::string withWordFixes(std::string_view line, bool withSymbols)
{
    std::string out;
    out.reserve(line.size() + 8);
    for (std::size_t i = 0; i < line.size();) {
        bool fixed = false;
        for (const Fix& fix : Fixes) {
            if (hasSymbol(fix.written) != withSymbols || line.substr(i, fix.written.size()) != fix.written)
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

} // namespace

std::string withReadingFixes(std::string_view line)
{
    const std::string words = withWordFixes(line, true);
    std::string out;
    out.reserve(words.size() + 16);
    for (std::size_t i = 0; i < words.size();) {
        if (!isTokenCharacter(words[i])) {
            out += words[i++];
            continue;
        }
        std::size_t end = i;
        while (end < words.size() && isTokenCharacter(words[end]))
            ++end;
        appendToken(std::string_view(words).substr(i, end - i), out);
        i = end;
    }
    return withWordFixes(out, false);
}
