#include "platform/linux/speechd/SpeechdEventSlots.h"

#include <array>
#include <mutex>
#include <utility>

namespace
{

constexpr std::size_t SlotCount = 32;

struct Table {
    std::mutex mutex;
    std::array<std::weak_ptr<SpeechdEventSlots::Listener>, SlotCount> listeners;
    std::array<bool, SlotCount> taken{};
};

// Never destroyed: event threads and abandoned workers can outlive static
// destruction at exit.
Table& table()
{
    static auto* slots = new Table;
    return *slots;
}

// Runs on libspeechd's event thread.
void deliver(std::size_t slot, std::size_t msgId, std::size_t clientId, SPDNotificationType type)
{
    if (type != SPD_EVENT_END && type != SPD_EVENT_CANCEL)
        return;
    std::shared_ptr<SpeechdEventSlots::Listener> listener;
    {
        std::lock_guard lock(table().mutex);
        listener = table().listeners[slot].lock();
    }
    if (listener)
        listener->messageFinished(msgId, clientId);
}

template <std::size_t Slot> void onEvent(size_t msgId, size_t clientId, SPDNotificationType type)
{
    deliver(Slot, msgId, clientId, type);
}

template <std::size_t... Slot>
constexpr std::array<SPDCallback, sizeof...(Slot)> makeCallbacks(std::index_sequence<Slot...>)
{
    return {{&onEvent<Slot>...}};
}

constexpr std::array<SPDCallback, SlotCount> eventCallbacks =
    makeCallbacks(std::make_index_sequence<SlotCount>{});

} // namespace

std::optional<std::size_t> SpeechdEventSlots::take(const std::shared_ptr<Listener>& listener)
{
    Table& slots = table();
    std::lock_guard lock(slots.mutex);
    for (std::size_t i = 0; i < SlotCount; ++i) {
        if (!slots.taken[i]) {
            slots.taken[i] = true;
            slots.listeners[i] = listener;
            return i;
        }
    }
    return std::nullopt;
}

void SpeechdEventSlots::release(std::size_t slot)
{
    Table& slots = table();
    std::lock_guard lock(slots.mutex);
    slots.taken[slot] = false;
    slots.listeners[slot].reset();
}

SPDCallback SpeechdEventSlots::callback(std::size_t slot)
{
    return eventCallbacks[slot];
}
