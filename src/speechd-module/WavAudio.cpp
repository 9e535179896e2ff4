#include "WavAudio.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{

std::uint32_t le32(std::string_view b, std::size_t at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8
           | std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t le16(std::string_view b, std::size_t at)
{
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

} // namespace

std::optional<WavAudio> WavAudio::parse(std::string_view bytes)
{
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return std::nullopt;
    WavAudio audio;
    bool format = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint32_t size = le32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size())
                return std::nullopt;
            const bool pcm = le16(bytes, body) == 1;
            const int channels = le16(bytes, body + 2);
            audio.sampleRate = int(le32(bytes, body + 4));
            const int bits = le16(bytes, body + 14);
            if (!pcm || channels != 1 || bits != 16 || audio.sampleRate <= 0)
                return std::nullopt;
            format = true;
        } else if (id == "data") {
            // A file cut short (the synthesiser died while writing) is not
            // played: half a word is worse than none.
            if (!format || body + size > bytes.size())
                return std::nullopt;
            audio.samples.resize(size / 2);
            for (std::size_t i = 0; i < audio.samples.size(); ++i)
                audio.samples[i] = std::int16_t(le16(bytes, body + 2 * i));
            return audio;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

void WavAudio::trimSilence(int keepBeforeMs, int keepAfterMs)
{
    const auto loud = [](std::int16_t s) { return std::abs(int(s)) >= SilenceBelow; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    if (first == samples.end()) {
        samples.clear();
        return;
    }
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    const std::ptrdiff_t before = std::ptrdiff_t(sampleRate) * keepBeforeMs / 1000;
    const std::ptrdiff_t after = std::ptrdiff_t(sampleRate) * keepAfterMs / 1000;
    const auto from = first - std::min(before, first - samples.begin());
    const auto to = last + std::min(after, samples.end() - last);
    samples = std::vector<std::int16_t>(from, to);
}
