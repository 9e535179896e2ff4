// Stands in for open_jtalk in the module's tests: takes the same arguments,
// reads one line, and writes a WAVE file of a tone that grows with the line
// (preceded and followed by silence, as open_jtalk's are). Every call is
// written down in the file VX_STANDIN_LOG names, one line each:
//   <pid> \t <the arguments after the program's name> \t <the line read>
// A line containing VX_STANDIN_SLOW_LINE takes a minute: only a kill ends it
// sooner.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

void put16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

} // namespace

int main(int argc, char* argv[])
{
    std::string line;
    if (!std::getline(std::cin, line))
        return 1;
    std::string args;
    for (int i = 1; i < argc; ++i)
        args += (i > 1 ? " " : "") + std::string(argv[i]);
    if (const char* log = std::getenv("VX_STANDIN_LOG")) {
        const std::string entry = std::to_string(::getpid()) + "\t" + args + "\t" + line + "\n";
        const int fd = ::open(log, O_WRONLY | O_APPEND | O_CREAT, 0600);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t n = ::write(fd, entry.data(), entry.size());
            ::close(fd);
        }
    }
    const char* slow = std::getenv("VX_STANDIN_SLOW_LINE");
    if (slow && *slow && line.find(slow) != std::string::npos)
        std::this_thread::sleep_for(std::chrono::minutes(1));

    constexpr int Rate = 48000;
    std::vector<std::int16_t> samples(Rate * 3 / 10, 0);
    // Short, so that 100,000 characters cost the test little to carry.
    const std::size_t tone = line.size() * 4;
    for (std::size_t i = 0; i < tone; ++i)
        samples.push_back(std::int16_t(8000 * std::sin(2 * M_PI * 220.0 * double(i) / Rate)));
    samples.insert(samples.end(), Rate / 2, 0);

    std::string wav = "RIFF";
    const std::uint32_t data = std::uint32_t(samples.size() * 2);
    put32(wav, 36 + data);
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1);
    put16(wav, 1);
    put32(wav, Rate);
    put32(wav, Rate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, data);
    for (const std::int16_t s : samples)
        put16(wav, std::uint16_t(s));
    std::fwrite(wav.data(), 1, wav.size(), stdout);
    return 0;
}
