#include "TextChunker.h"

#include "Utf8.h"
#include "WordBoundaries.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace
{

bool isSpace(char32_t c)
{
    return c == ' ' || c == U'\u3000' || c == '\t';
}

bool endsSentence(char32_t c)
{
    return c == U'。' || c == U'！' || c == U'？' || c == U'．' || c == '!' || c == '?' || c == U'｡';
}

bool isPause(char32_t c)
{
    return c == U'、' || c == U'，' || c == U'；' || c == U'：' || c == U'､';
}

// Closing brackets and quotes stay with the sentence or clause they close.
bool closes(char32_t c)
{
    return c == U'」' || c == U'』' || c == U'）' || c == U'】' || c == U'〕' || c == U'］' || c == ')' || c == ']'
           || c == '"' || c == '\'' || c == U'”' || c == U'’';
}

// Lines drawn with these ("－－－－") are decoration: open_jtalk has nothing to
// say for them.
bool draws(char32_t c)
{
    return c == '-' || c == '=' || c == '_' || c == '*' || c == '~' || c == U'－' || c == U'＝' || c == U'＿'
           || c == U'＊' || c == U'〜' || c == U'～' || c == U'・' || c == U'…' || (c >= 0x2010 && c <= 0x2015)
           || (c >= 0x2500 && c <= 0x257F);
}

bool isPunctuation(char32_t c)
{
    return endsSentence(c) || isPause(c) || closes(c) || draws(c) || c == '.' || c == ',' || c == ';' || c == ':'
           || c == U'「' || c == U'『' || c == U'（' || c == '(' || c == '[' || c == U'【';
}

enum class Script { Kanji, Hiragana, Katakana, Letter, Digit, Other };

Script scriptOf(char32_t c)
{
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) || c == U'々'
        || c >= 0x20000)
        return Script::Kanji;
    if (c >= U'ぁ' && c <= U'ゟ')
        return Script::Hiragana;
    if ((c >= U'ァ' && c <= U'ヿ') || (c >= 0xFF66 && c <= 0xFF9F))
        return Script::Katakana;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= U'ａ' && c <= U'ｚ') || (c >= U'Ａ' && c <= U'Ｚ'))
        return Script::Letter;
    if ((c >= '0' && c <= '9') || (c >= U'０' && c <= U'９'))
        return Script::Digit;
    return Script::Other;
}

std::vector<WordBoundaries::Boundary> scriptBoundaries(std::string_view text)
{
    std::vector<WordBoundaries::Boundary> found;
    std::optional<Script> before;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char ch = decodeUtf8(text, i);
        const Script script = scriptOf(ch.code);
        if (before && *before != script && i > 0 && !continuesCharacter(ch.code))
            found.push_back({i, *before == Script::Hiragana});
        before = script;
        i += ch.length;
    }
    return found;
}

struct Piece {
    std::size_t begin;
    std::size_t end;
    TextChunk::Ending ending;
};

bool saysSomething(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char ch = decodeUtf8(text, i);
        if (!isSpace(ch.code) && !isPunctuation(ch.code))
            return true;
        i += ch.length;
    }
    return false;
}

// Sentences, clauses and the words between spaces, in order, without the
// spaces and line ends between them.
std::vector<Piece> piecesOf(std::string_view text)
{
    std::vector<Piece> pieces;
    std::size_t start = 0;
    const auto close = [&](std::size_t end, TextChunk::Ending ending) {
        std::size_t begin = start;
        while (begin < end && isSpace(decodeUtf8(text, begin).code))
            begin += decodeUtf8(text, begin).length;
        if (begin < end) {
            if (saysSomething(text.substr(begin, end - begin))) {
                pieces.push_back({begin, end, ending});
            } else if (!pieces.empty()
                       && text.substr(pieces.back().end, begin - pieces.back().end).find('\n') == std::string_view::npos) {
                // A lone mark belongs to what it follows on its line; alone
                // on a line it has nothing to say.
                pieces.back().end = end;
                pieces.back().ending = ending;
            }
        }
    };
    const auto skipClosers = [&](std::size_t at) {
        while (at < text.size()) {
            const Utf8Char next = decodeUtf8(text, at);
            if (!closes(next.code) && !endsSentence(next.code))
                break;
            at += next.length;
        }
        return at;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Char ch = decodeUtf8(text, i);
        const std::size_t after = i + ch.length;
        const bool spaceAfter = after >= text.size() || isSpace(decodeUtf8(text, after).code) || text[after] == '\n';
        if (ch.code == '\n') {
            close(i, TextChunk::Ending::Sentence);
            start = after;
        } else if (endsSentence(ch.code) || (ch.code == '.' && spaceAfter)) {
            const std::size_t end = skipClosers(after);
            close(end, TextChunk::Ending::Sentence);
            start = end;
            i = end;
            continue;
        } else if (isPause(ch.code) || ((ch.code == ',' || ch.code == ';' || ch.code == ':') && spaceAfter)) {
            std::size_t end = after;
            while (end < text.size() && closes(decodeUtf8(text, end).code))
                end += decodeUtf8(text, end).length;
            close(end, TextChunk::Ending::Pause);
            start = end;
            i = end;
            continue;
        } else if (isSpace(ch.code)) {
            close(i, TextChunk::Ending::Pause);
            start = after;
        }
        i = after;
    }
    close(text.size(), TextChunk::Ending::Sentence);
    return pieces;
}

} // namespace

std::size_t TextChunker::cutPoint(std::string_view text, std::size_t begin, std::size_t end, std::size_t limit) const
{
    // MeCab is shown a little past the limit, so that the word running
    // across it is seen whole; its time grows fast with length, so no more.
    constexpr std::size_t Context = 64;
    std::size_t windowEnd = std::min(end, begin + limit + Context);
    while (windowEnd < end && (static_cast<unsigned char>(text[windowEnd]) & 0xC0) == 0x80)
        ++windowEnd;
    const std::string_view window = text.substr(begin, windowEnd - begin);

    // The longest prefix within the limit, at a character boundary.
    std::size_t fits = 0;
    std::size_t lastCharacter = 0;
    for (std::size_t i = 0, bytes = 0; i < window.size();) {
        const Utf8Char ch = decodeUtf8(window, i);
        bytes += jtalkBytes(window.substr(i, ch.length));
        if (bytes > limit)
            break;
        i += ch.length;
        fits = i;
        if (i < window.size() && !continuesCharacter(decodeUtf8(window, i).code))
            lastCharacter = i;
    }

    const std::vector<WordBoundaries::Boundary> words = m_words ? m_words->find(window) : scriptBoundaries(window);
    std::size_t lastWord = 0;
    std::size_t lastPhrase = 0;
    for (const WordBoundaries::Boundary& b : words) {
        if (b.offset == 0 || b.offset > fits || continuesCharacter(decodeUtf8(window, b.offset).code))
            continue;
        lastWord = b.offset;
        if (b.endsPhrase)
            lastPhrase = b.offset;
    }
    // A phrase end is worth a shorter line, though not a much shorter one.
    std::size_t at = lastPhrase * 2 >= fits ? lastPhrase : lastWord;
    if (at == 0)
        at = lastCharacter;
    if (at == 0)
        at = decodeUtf8(window, 0).length; // a limit below one character
    return begin + at;
}

void TextChunker::cut(std::string_view text, std::size_t begin, std::size_t end, std::size_t limit,
                      TextChunk::Ending ending, std::vector<TextChunk>& out) const
{
    while (jtalkBytes(text.substr(begin, end - begin)) > limit) {
        const std::size_t at = cutPoint(text, begin, end, limit);
        out.push_back({begin, at, {}, TextChunk::Ending::Cut});
        begin = at;
        limit = m_limits.longest;
    }
    out.push_back({begin, end, {}, ending});
}

std::vector<TextChunk> TextChunker::split(std::string_view text) const
{
    std::vector<TextChunk> out;
    std::optional<TextChunk> joining;
    for (const Piece& piece : piecesOf(text)) {
        if (out.empty() && !joining) {
            cut(text, piece.begin, piece.end, std::min(m_limits.first, m_limits.longest), piece.ending, out);
            continue;
        }
        if (joining && joining->ending == TextChunk::Ending::Pause
            && jtalkBytes(text.substr(joining->begin, piece.end - joining->begin)) <= m_limits.joined) {
            joining->end = piece.end;
            joining->ending = piece.ending;
            continue;
        }
        if (joining)
            out.push_back(*std::exchange(joining, std::nullopt));
        if (jtalkBytes(text.substr(piece.begin, piece.end - piece.begin)) > m_limits.longest)
            cut(text, piece.begin, piece.end, m_limits.longest, piece.ending, out);
        else
            joining = TextChunk{piece.begin, piece.end, {}, piece.ending};
    }
    if (joining)
        out.push_back(*joining);
    for (TextChunk& chunk : out)
        chunk.text = std::string(text.substr(chunk.begin, chunk.end - chunk.begin));
    return out;
}
