#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A message as speech-dispatcher hands it to its modules (SSML: the daemon
// wraps plain texts in <speak> and escapes them, and puts index marks of its
// own after sentences) turned into the text to be said and the marks to be
// reported on the way.
//
// Read leniently, not as XML: a client's stray "&" or "<" is said, not a
// reason to drop the whole message. Only the marks and the tags that end a
// sentence or make a pause mean anything here; every other tag is dropped
// and its content said.
struct SsmlText {
    struct Mark {
        std::size_t offset; // in text, before the character it precedes
        std::string name;
    };

    // Valid UTF-8 with no control characters but line ends ("\n").
    std::string text;
    std::vector<Mark> marks;
    // Bytes that were not UTF-8 and were left out.
    std::size_t invalidBytes = 0;

    static SsmlText parse(std::string_view message);
};
