#pragma once

#include "VoiceSettings.h"

#include <string>
#include <vector>

// How open_jtalk is started: Debian's binary, its dictionary and a voice.
// Read from the module's configuration file, with Debian's places as the
// defaults:
//   JTalkBinary "/usr/bin/open_jtalk"
//   JTalkDictionary "/var/lib/mecab/dic/open-jtalk/naist-jdic"
//   JTalkVoice "/usr/share/hts-voice"   (a .htsvoice file, or a folder to search)
//   WordDictionary "/var/lib/mecab/dic/ipadic-utf8"   (MeCab's, for cutting long lines)
struct JTalkCommand {
    struct Voice {
        std::string name; // the file's name without ".htsvoice"
        std::string path;
    };

    std::string binary = "/usr/bin/open_jtalk";
    std::string dictionary = "/var/lib/mecab/dic/open-jtalk/naist-jdic";
    std::string voicePlace = "/usr/share/hts-voice";
    std::string wordDictionary = "/var/lib/mecab/dic/ipadic-utf8";
    // Found in voicePlace; the nitech voice first when it is there.
    std::vector<Voice> voices;

    // Reads the configuration file (a missing one leaves the defaults) and
    // looks for the voices.
    static JTalkCommand fromConfiguration(const std::string& file);
    // Empty when open_jtalk can run, else why not, in words for the log.
    std::string whyNotUsable() const;

    // The arguments for one line, the synthesised speech going to the
    // standard output and, when traced, Open JTalk's reading of it to
    // descriptor TraceDescriptor.
    static constexpr int TraceDescriptor = 3;
    std::vector<std::string> arguments(const VoiceSettings& settings, bool traced = false) const;
    const Voice* voiceFor(const VoiceSettings& settings) const;
};
