#pragma once

#include <string>

// The settings speech-dispatcher sends before each message that change how
// open_jtalk is started. Each runs from -100 to 100.
struct VoiceSettings {
    int rate = 0;
    int pitch = 0;
    int volume = 100; // the daemon's default: full, as the voice speaks by itself
    std::string voice; // a voice's name; empty for the default one

    bool operator==(const VoiceSettings&) const = default;

    // open_jtalk's own values: -r speed factor, -fm half-tones, -g decibels.
    // Rate and pitch double or halve at ±100; volume scales the amplitude
    // from silence (-100) to the voice's own loudness (100).
    double speedFactor() const;
    double halfTones() const;
    double decibels() const;
};
