#pragma once

#include "WordBoundaries.h"

#include <memory>
#include <string>

struct mecab_t;

// Words as MeCab's IPA dictionary cuts them (the dictionary Open JTalk's own
// is derived from).
class MecabWordBoundaries : public WordBoundaries
{
public:
    static constexpr const char* DefaultDictionary = "/var/lib/mecab/dic/ipadic-utf8";

    // Null when the dictionary cannot be opened.
    static std::unique_ptr<MecabWordBoundaries> open(const std::string& dictionary = DefaultDictionary);
    ~MecabWordBoundaries() override;
    MecabWordBoundaries(const MecabWordBoundaries&) = delete;
    MecabWordBoundaries& operator=(const MecabWordBoundaries&) = delete;

    std::vector<Boundary> find(std::string_view text) override;

private:
    explicit MecabWordBoundaries(mecab_t* tagger) : m_tagger(tagger) {}

    mecab_t* m_tagger;
};
