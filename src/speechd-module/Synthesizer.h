#pragma once

#include "JTalkCommand.h"
#include "SpeechTrace.h"
#include "SsmlText.h"
#include "TextChunker.h"
#include "VoiceSettings.h"
#include "WavAudio.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class JTalkProcess;
class ModuleOutput;
class WordBoundaries;

// Says one message at a time on a thread of its own, line by line through
// open_jtalk, and reports it: BEGIN as its first samples are written, index
// marks where they fall, then END, STOP or PAUSE. The speech goes to the
// daemon, which plays it through the audio output it was configured with.
//
// One open_jtalk waits ahead, loaded, for the next line; it is replaced as
// soon as its line is synthesised, and restarted when the voice settings
// change.
class Synthesizer
{
public:
    Synthesizer(ModuleOutput& output, JTalkCommand command, std::unique_ptr<WordBoundaries> words, SpeechTrace trace);
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    // The settings for the next message; the process waiting ahead is
    // restarted if it was started with others.
    void prepare(const VoiceSettings& settings);
    // True while a message is being said: the daemon sends the next one
    // only after its END, STOP or PAUSE.
    bool isSpeaking() const;
    // Hands the message over and returns at once; false (and nothing done)
    // while another one is still being said.
    bool speak(SsmlText message);
    // Stops the message being said at once: its synthesiser is killed and
    // reaped before STOP is reported.
    void stop();
    // Ends the message after the line being said, with PAUSE.
    void pause();

private:
    enum class Halt { None, Stop, Pause };
    // A process and what it was started with.
    struct Started {
        std::unique_ptr<JTalkProcess> process;
        VoiceSettings settings;
    };

    void run();
    void say(const SsmlText& message, const VoiceSettings& settings);
    // The lines open_jtalk is given for a chunk: its text with the readings
    // written around (ReadingFixes), cut again if that made it too long.
    std::vector<std::string> linesFor(const TextChunk& chunk) const;
    // One line through the process waiting ahead; nothing when it gave no
    // speech (reported) or was stopped (halted tells).
    std::optional<WavAudio> synthesize(const std::string& line, const VoiceSettings& settings, Halt& halted);
    bool play(const WavAudio& audio, const SsmlText& message, const TextChunk& chunk, std::size_t& nextMark,
              bool& begun);
    Started startProcess(const VoiceSettings& settings);
    Started takeProcess(const VoiceSettings& settings);
    void replaceTaken(const VoiceSettings& settings);
    Halt halt() const;

    ModuleOutput& m_output;
    const JTalkCommand m_command;
    const std::unique_ptr<WordBoundaries> m_words;
    const TextChunker m_chunker;
    const SpeechTrace m_trace;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    VoiceSettings m_settings;
    std::optional<SsmlText> m_message;
    bool m_busy = false;
    Halt m_halt = Halt::None;
    bool m_quit = false;
    Started m_ahead;
    JTalkProcess* m_current = nullptr;

    std::thread m_thread;
};
