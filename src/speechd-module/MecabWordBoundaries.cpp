#include "MecabWordBoundaries.h"

#include <mecab.h>

#include <cstring>
#include <sys/stat.h>

std::unique_ptr<MecabWordBoundaries> MecabWordBoundaries::open(const std::string& dictionary)
{
    struct stat info {};
    if (::stat((dictionary + "/sys.dic").c_str(), &info) != 0)
        return nullptr;
    // No resource file: a user's mecabrc naming another dictionary would
    // change the words.
    const std::string args = "-r /dev/null -d " + dictionary;
    mecab_t* tagger = mecab_new2(args.c_str());
    if (!tagger)
        return nullptr;
    return std::unique_ptr<MecabWordBoundaries>(new MecabWordBoundaries(tagger));
}

MecabWordBoundaries::~MecabWordBoundaries()
{
    mecab_destroy(m_tagger);
}

std::vector<WordBoundaries::Boundary> MecabWordBoundaries::find(std::string_view text)
{
    std::vector<Boundary> found;
    const mecab_node_t* node = mecab_sparse_tonode2(m_tagger, text.data(), text.size());
    for (; node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0)
            continue;
        const std::size_t end = static_cast<std::size_t>(node->surface - text.data()) + node->length;
        if (end == 0 || end >= text.size())
            continue;
        // The IPA dictionary's first feature is the part of speech.
        const bool particle = std::strncmp(node->feature, "助詞,", std::strlen("助詞,")) == 0
                              || std::strncmp(node->feature, "助動詞,", std::strlen("助動詞,")) == 0;
        found.push_back({end, particle});
    }
    return found;
}
