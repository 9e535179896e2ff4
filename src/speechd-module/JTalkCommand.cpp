#include "JTalkCommand.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace
{

constexpr const char* PreferredVoice = "nitech_jp_atr503_m001";
constexpr const char* VoiceExtension = ".htsvoice";

std::string trimmed(std::string s)
{
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), space));
    s.erase(std::find_if_not(s.rbegin(), s.rend(), space).base(), s.end());
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::vector<JTalkCommand::Voice> findVoices(const std::string& place)
{
    namespace fs = std::filesystem;
    std::vector<JTalkCommand::Voice> voices;
    std::error_code error;
    const auto add = [&voices](const fs::path& file) {
        if (file.extension() == VoiceExtension)
            voices.push_back({file.stem().string(), file.string()});
    };
    if (fs::is_regular_file(place, error)) {
        add(place);
    } else if (fs::is_directory(place, error)) {
        for (fs::recursive_directory_iterator it(place, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            if (it->is_regular_file(error))
                add(it->path());
        }
    }
    std::sort(voices.begin(), voices.end(), [](const auto& a, const auto& b) {
        const bool aFirst = a.name == PreferredVoice;
        const bool bFirst = b.name == PreferredVoice;
        return aFirst != bFirst ? aFirst : a.name < b.name;
    });
    return voices;
}

} // namespace

JTalkCommand JTalkCommand::fromConfiguration(const std::string& file)
{
    JTalkCommand command;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t space = line.find_first_of(" \t");
        if (space == std::string::npos)
            continue;
        const std::string key = line.substr(0, space);
        const std::string value = trimmed(line.substr(space));
        if (key == "JTalkBinary")
            command.binary = value;
        else if (key == "JTalkDictionary")
            command.dictionary = value;
        else if (key == "JTalkVoice")
            command.voicePlace = value;
        else if (key == "WordDictionary")
            command.wordDictionary = value;
    }
    command.voices = findVoices(command.voicePlace);
    return command;
}

std::string JTalkCommand::whyNotUsable() const
{
    if (::access(binary.c_str(), X_OK) != 0)
        return "no open_jtalk at " + binary + " (package open-jtalk)";
    if (::access((dictionary + "/sys.dic").c_str(), R_OK) != 0)
        return "no Open JTalk dictionary in " + dictionary + " (package open-jtalk-mecab-naist-jdic)";
    if (voices.empty())
        return "no voice (.htsvoice) in " + voicePlace + " (package hts-voice-nitech-jp-atr503-m001, in contrib)";
    return {};
}

const JTalkCommand::Voice* JTalkCommand::voiceFor(const VoiceSettings& settings) const
{
    if (voices.empty())
        return nullptr;
    for (const Voice& voice : voices) {
        if (voice.name == settings.voice)
            return &voice;
    }
    return &voices.front();
}

std::vector<std::string> JTalkCommand::arguments(const VoiceSettings& settings, bool traced) const
{
    const Voice* voice = voiceFor(settings);
    std::vector<std::string> args = {binary,
                                     "-x",
                                     dictionary,
                                     "-m",
                                     voice ? voice->path : std::string(),
                                     "-r",
                                     number(settings.speedFactor()),
                                     "-fm",
                                     number(settings.halfTones()),
                                     "-g",
                                     number(settings.decibels()),
                                     "-ow",
                                     "/dev/stdout"};
    if (traced) {
        args.push_back("-ot");
        args.push_back("/dev/fd/" + std::to_string(TraceDescriptor));
    }
    return args;
}
