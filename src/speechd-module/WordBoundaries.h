#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// Where the words of a Japanese text meet, which a text without spaces does
// not show by itself.
class WordBoundaries
{
public:
    struct Boundary {
        std::size_t offset; // bytes into the text
        // After a particle or an auxiliary: the end of a phrase, where a
        // speaker may breathe.
        bool endsPhrase;
    };

    virtual ~WordBoundaries() = default;
    // The places strictly inside the text, in order.
    virtual std::vector<Boundary> find(std::string_view text) = 0;
};
