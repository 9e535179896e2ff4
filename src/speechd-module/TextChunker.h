#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class WordBoundaries;

// One line for the synthesiser, cut from the text to be said.
struct TextChunk {
    // What ends it, which decides the silence after it.
    enum class Ending {
        Sentence, // 。！？, a line end, the end of the text
        Pause,    // 、，; a space
        Cut,      // a word (or, in a run without words, a character) boundary
    };
    std::size_t begin; // bytes into the text
    std::size_t end;
    std::string text;
    Ending ending;
};

// Cuts a text into lines Open JTalk can say. open_jtalk reads one line, drops
// what a line holds past its buffer, and aborts on a line whose widened form
// overflows it, so no line may be long. The first line of a text is kept
// short too: nothing is heard before it is synthesised whole.
//
// Cuts fall at sentence ends and line ends, then at pauses; a stretch still
// too long is cut between words, and one without any (a run of digits)
// between characters, never inside one.
class TextChunker
{
public:
    struct Limits {
        // In Open JTalk's widened bytes (jtalkBytes).
        std::size_t longest = 600;
        // The first line, unless it ends at a pause or a sentence end sooner.
        std::size_t first = 90;
        // Pauses of one sentence are joined up to this, so that the voice
        // keeps the sentence's melody across them.
        std::size_t joined = 240;
    };

    // Without words (no dictionary), a long stretch is cut where one script
    // meets another (kanji, kana, Latin letters, digits).
    explicit TextChunker(WordBoundaries* words) : TextChunker(words, Limits{}) {}
    TextChunker(WordBoundaries* words, Limits limits) : m_words(words), m_limits(limits) {}

    // Chunks in order; text between them holds nothing to say (spaces, line
    // ends). Each chunk's text is text[begin, end).
    std::vector<TextChunk> split(std::string_view text) const;

private:
    void cut(std::string_view text, std::size_t begin, std::size_t end, std::size_t limit, TextChunk::Ending ending,
             std::vector<TextChunk>& out) const;
    std::size_t cutPoint(std::string_view text, std::size_t begin, std::size_t end, std::size_t limit) const;

    WordBoundaries* m_words;
    Limits m_limits;
};
