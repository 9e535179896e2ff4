#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// 16-bit mono PCM as open_jtalk writes it (a RIFF WAVE file, 48 kHz with its
// voices).
struct WavAudio {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;

    // Empty unless the bytes hold a whole 16-bit mono PCM file.
    static std::optional<WavAudio> parse(std::string_view bytes);

    // Every sample quieter than this (−50 dBFS) counts as silence.
    static constexpr int SilenceBelow = 104;

    // open_jtalk starts every line with about a third of a second of
    // silence and ends it with half a second: cut both down to what is kept,
    // so that a line is heard as soon as it is played and a pause between
    // lines is as long as the text asks. All silence gives no samples.
    void trimSilence(int keepBeforeMs, int keepAfterMs);
    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0; }
};
