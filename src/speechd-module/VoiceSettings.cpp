#include "VoiceSettings.h"

#include <algorithm>
#include <cmath>

namespace
{

double clamped(int value)
{
    return std::clamp(value, -100, 100);
}

} // namespace

double VoiceSettings::speedFactor() const
{
    return std::pow(2.0, clamped(rate) / 100.0);
}

double VoiceSettings::halfTones() const
{
    return 12.0 * clamped(pitch) / 100.0;
}

double VoiceSettings::decibels() const
{
    // -60 dB is silence to the ear, and the logarithm stays finite.
    const double amplitude = (clamped(volume) + 100.0) / 200.0;
    return std::max(-60.0, 20.0 * std::log10(std::max(amplitude, 1e-6)));
}
