#pragma once

#include "JTalkCommand.h"
#include "LineReader.h"
#include "ModuleOutput.h"
#include "SpeechTrace.h"
#include "VoiceSettings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Synthesizer;

// The output-module protocol of speech-dispatcher, as the daemon speaks it
// on the module's standard input and output: INIT, then AUDIO, LOGLEVEL,
// SET, SPEAK (and CHAR, KEY, SOUND_ICON), STOP, PAUSE, LIST VOICES, QUIT.
// Replies come from this thread; events from the synthesiser's.
class ModuleSession
{
public:
    // Name of the module in its messages.
    static constexpr const char* Name = "vornix-jtalk";
    // A message longer than this is said only up to it: no client speaks
    // more at once, and the module keeps its memory.
    static constexpr std::size_t LongestMessage = 16 * 1024 * 1024;

    ModuleSession(int input, int output, JTalkCommand command, SpeechTrace trace);
    ~ModuleSession();

    // Serves the daemon until QUIT or the end of the input; the process's
    // exit status.
    int run();

private:
    bool init();
    void receiveMessage(const std::string& command);
    // The lines up to "." ("name=value" for SET and AUDIO); empty at the end
    // of the input.
    std::optional<std::vector<std::string>> block();
    void set();
    void audio();
    void listVoices();

    LineReader m_input;
    ModuleOutput m_output;
    JTalkCommand m_command;
    SpeechTrace m_trace;
    VoiceSettings m_settings;
    std::unique_ptr<Synthesizer> m_synthesizer;
};
