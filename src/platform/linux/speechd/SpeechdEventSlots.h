#pragma once

#include <libspeechd.h>

#include <cstddef>
#include <memory>
#include <optional>

// libspeechd's callbacks carry no user data and the client id alone is not
// unique once a process has talked to more than one daemon, so every open
// connection gets a callback function of its own, taken from a fixed table.
class SpeechdEventSlots
{
public:
    // Told of each message that ended (END) or was dropped (CANCEL), with its
    // id and its client's, on libspeechd's event thread. Nothing in it may be
    // a cancellation point: spd_close cancels that thread.
    class Listener
    {
    public:
        virtual void messageFinished(std::size_t msgId, std::size_t clientId) = 0;

    protected:
        ~Listener() = default;
    };

    // A free slot for the listener, none when every slot is taken. The slot
    // does not keep the listener alive.
    static std::optional<std::size_t> take(const std::shared_ptr<Listener>& listener);
    static void release(std::size_t slot);
    // The function to give libspeechd as callback_end and callback_cancel.
    static SPDCallback callback(std::size_t slot);
};
