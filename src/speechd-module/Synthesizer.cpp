#include "Synthesizer.h"

#include "JTalkProcess.h"
#include "ModuleOutput.h"
#include "ReadingFixes.h"
#include "Utf8.h"
#include "WavAudio.h"
#include "WordBoundaries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Silence kept before a line's first sound: enough not to clip its onset.
constexpr int LeadInMs = 20;
// Silence kept after a line, by what ends it: the pause a listener expects
// there. A line cut between words runs on into the next.
int leadOutMs(TextChunk::Ending ending, bool last)
{
    if (last)
        return 100;
    switch (ending) {
    case TextChunk::Ending::Sentence:
        return 300;
    case TextChunk::Ending::Pause:
        return 150;
    case TextChunk::Ending::Cut:
        break;
    }
    return 10;
}

// Audio goes out in pieces of a tenth of a second, so that a STOP is never
// behind a long write.
constexpr std::size_t PieceMs = 100;

std::size_t characters(std::string_view text)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); i += decodeUtf8(text, i).length)
        ++n;
    return n;
}

std::string describeStatus(int status)
{
    if (status == -1)
        return "could not be started";
    if (WIFSIGNALED(status))
        return "ended by signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "ended";
}

} // namespace

Synthesizer::Synthesizer(ModuleOutput& output, JTalkCommand command, std::unique_ptr<WordBoundaries> words,
                         SpeechTrace trace)
    : m_output(output), m_command(std::move(command)), m_words(std::move(words)), m_chunker(m_words.get()),
      m_trace(std::move(trace))
{
    m_thread = std::thread([this] { run(); });
}

Synthesizer::~Synthesizer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_halt = Halt::Stop;
        if (m_current)
            m_current->kill();
    }
    m_wake.notify_all();
    m_thread.join();
}

Synthesizer::Started Synthesizer::startProcess(const VoiceSettings& settings)
{
    Started started;
    started.settings = settings;
    started.process = JTalkProcess::start(m_command.arguments(settings, m_trace.isOn()),
                                          m_trace.isOn() ? JTalkCommand::TraceDescriptor : -1);
    return started;
}

void Synthesizer::prepare(const VoiceSettings& settings)
{
    Started replaced;
    std::lock_guard lock(m_mutex);
    m_settings = settings;
    if (m_busy)
        return; // the speaking thread starts the next one with what it speaks
    if (!m_ahead.process || !(m_ahead.settings == settings) || !m_ahead.process->isWaiting()) {
        replaced = std::move(m_ahead);
        m_ahead = startProcess(settings);
    }
}

Synthesizer::Started Synthesizer::takeProcess(const VoiceSettings& settings)
{
    std::lock_guard lock(m_mutex);
    Started taken = std::move(m_ahead);
    if (!taken.process || !(taken.settings == settings) || !taken.process->isWaiting())
        taken = startProcess(settings);
    m_current = taken.process.get();
    return taken;
}

void Synthesizer::replaceTaken(const VoiceSettings& settings)
{
    std::lock_guard lock(m_mutex);
    if (!m_ahead.process)
        m_ahead = startProcess(settings);
}

bool Synthesizer::isSpeaking() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

bool Synthesizer::speak(SsmlText message)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_busy)
            return false;
        m_busy = true;
        m_halt = Halt::None;
        m_message = std::move(message);
    }
    m_wake.notify_all();
    return true;
}

void Synthesizer::stop()
{
    std::lock_guard lock(m_mutex);
    if (!m_busy)
        return;
    m_halt = Halt::Stop;
    if (m_current)
        m_current->kill();
}

void Synthesizer::pause()
{
    std::lock_guard lock(m_mutex);
    if (m_busy && m_halt == Halt::None)
        m_halt = Halt::Pause;
}

Synthesizer::Halt Synthesizer::halt() const
{
    std::lock_guard lock(m_mutex);
    return m_halt;
}

void Synthesizer::run()
{
    for (;;) {
        SsmlText message;
        VoiceSettings settings;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_message; });
            if (m_quit)
                return;
            message = std::move(*m_message);
            m_message.reset();
            settings = m_settings;
        }
        say(message, settings);
    }
}

void Synthesizer::say(const SsmlText& message, const VoiceSettings& settings)
{
    if (message.invalidBytes > 0)
        m_trace.write("error", std::to_string(message.invalidBytes) + " bytes that are not UTF-8 left out");
    const std::vector<TextChunk> chunks = m_chunker.split(message.text);
    std::size_t nextMark = 0;
    bool begun = false;
    const auto beginOnce = [&] {
        if (!begun)
            m_output.begin();
        begun = true;
    };
    Halt halted = Halt::None;
    for (std::size_t i = 0; i < chunks.size() && halted == Halt::None; ++i) {
        const TextChunk& chunk = chunks[i];
        std::optional<WavAudio> audio;
        const std::vector<std::string> lines = linesFor(chunk);
        for (std::size_t l = 0; l < lines.size() && halted != Halt::Stop; ++l) {
            std::optional<WavAudio> part = synthesize(lines[l], settings, halted);
            if (!part)
                continue;
            // Lines of one chunk run on into each other.
            part->trimSilence(LeadInMs, l + 1 < lines.size() ? leadOutMs(TextChunk::Ending::Cut, false) : 10000);
            if (!audio)
                audio = std::move(part);
            else
                audio->samples.insert(audio->samples.end(), part->samples.begin(), part->samples.end());
        }
        if (halted == Halt::Stop)
            break;
        if (!audio)
            continue;
        audio->trimSilence(LeadInMs, leadOutMs(chunk.ending, i + 1 == chunks.size()));
        while (nextMark < message.marks.size() && message.marks[nextMark].offset <= chunk.begin) {
            beginOnce();
            m_output.indexMark(message.marks[nextMark++].name);
        }
        if (!play(*audio, message, chunk, nextMark, begun))
            halted = Halt::Stop;
        m_trace.write("text", chunk.text);
        if (halted == Halt::None)
            halted = halt();
    }
    if (halted != Halt::Stop) {
        while (nextMark < message.marks.size()) {
            beginOnce();
            m_output.indexMark(message.marks[nextMark++].name);
        }
    }
    beginOnce();
    if (halted == Halt::Stop)
        m_trace.write("stop", "");
    {
        std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    switch (halted) {
    case Halt::Stop:
        m_output.stopped();
        break;
    case Halt::Pause:
        m_output.paused();
        break;
    case Halt::None:
        m_output.end();
        break;
    }
}

std::vector<std::string> Synthesizer::linesFor(const TextChunk& chunk) const
{
    const std::string line = withReadingFixes(chunk.text);
    TextChunker::Limits limits;
    if (jtalkBytes(line) <= limits.longest)
        return {line};
    // Named symbols made it longer than open_jtalk takes: cut again, at the
    // spaces around the names.
    limits.first = limits.longest;
    std::vector<std::string> lines;
    for (const TextChunk& part : TextChunker(m_words.get(), limits).split(line))
        lines.push_back(part.text);
    return lines;
}

std::optional<WavAudio> Synthesizer::synthesize(const std::string& line, const VoiceSettings& settings, Halt& halted)
{
    Started started = takeProcess(settings);
    JTalkProcess::Result result;
    if (started.process)
        result = started.process->synthesize(line);
    {
        std::lock_guard lock(m_mutex);
        m_current = nullptr;
        halted = m_halt;
    }
    // Only now: loading it beside the line being synthesised would share
    // the processor with it, and the line is what is waited for.
    replaceTaken(settings);
    if (halted == Halt::Stop)
        return std::nullopt;
    std::optional<WavAudio> audio = WavAudio::parse(result.output);
    if (m_trace.isOn())
        m_trace.write("words", SpeechTrace::wordsOf(result.trace));
    if (!audio) {
        const std::string why = "open_jtalk " + describeStatus(result.status) + " without speech for: " + line;
        m_trace.write("error", why);
        std::fprintf(stderr, "vornix-jtalk: %s\n", why.c_str());
    }
    return audio;
}

bool Synthesizer::play(const WavAudio& audio, const SsmlText& message, const TextChunk& chunk, std::size_t& nextMark,
                       bool& begun)
{
    const std::size_t total = audio.samples.size();
    const std::size_t length = std::max<std::size_t>(1, characters(chunk.text));
    const std::size_t piece = std::max<std::size_t>(1, std::size_t(audio.sampleRate) * PieceMs / 1000);
    std::size_t at = 0;
    while (at < total || (nextMark < message.marks.size() && message.marks[nextMark].offset < chunk.end)) {
        // Marks inside the line fall where their share of its characters
        // puts them in its speech.
        std::size_t until = total;
        bool markDue = false;
        if (nextMark < message.marks.size() && message.marks[nextMark].offset < chunk.end) {
            const std::size_t before =
                characters(std::string_view(chunk.text).substr(0, message.marks[nextMark].offset - chunk.begin));
            until = total * before / length;
            markDue = true;
        }
        while (at < until) {
            if (halt() == Halt::Stop)
                return false;
            const std::size_t n = std::min(piece, until - at);
            if (!begun)
                m_output.begin();
            begun = true;
            m_output.sendAudio(std::span(audio.samples).subspan(at, n), audio.sampleRate);
            at += n;
        }
        if (markDue) {
            if (!begun)
                m_output.begin();
            begun = true;
            m_output.indexMark(message.marks[nextMark++].name);
        }
    }
    return halt() != Halt::Stop;
}
