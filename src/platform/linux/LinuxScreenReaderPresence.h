#pragma once

#include "platform/ScreenReaderPresence.h"

#include <QString>

#include <array>
#include <chrono>
#include <string_view>

// The names screen readers give themselves as applications on the
// accessibility bus. Only these count: magnifiers and on-screen keyboards
// follow the focus as a screen reader does, but nobody would speak the
// program's words.
inline constexpr std::array<std::string_view, 1> ScreenReaderNames{"orca"};

// Asks the desktop's accessibility services: the screen-reader switch
// (org.a11y.Status ScreenReaderEnabled on the session bus), and failing that
// whether an application on the accessibility bus is a screen reader, by the
// names above. The bus being enabled is no sign: toolkits turn it on for
// themselves.
//
// The whole question, connecting, authenticating and the buses' hello
// included, is bounded by `budgetMs`: a bus that takes the connection and
// never answers would otherwise hold it for good. The thread that asked ends
// with the question. It is asked through GLib's D-Bus, on connections and a
// thread of its own, so it never holds up Qt's D-Bus thread, which every
// other D-Bus user of the process shares. Without a session bus the answer
// is "none"; without an answer in time from the bus or from any application
// on it, and no screen reader found, "no answer". Nothing is started by asking (no service activation, no bus
// launched).
class LinuxScreenReaderPresence : public ScreenReaderPresence
{
public:
    // A second: the buses and every application on the accessibility bus
    // answer within a few milliseconds on an idle desktop, but with both
    // processors busy 0.3 s was seen to run out while Orca ran, and the tool
    // then talked over it from its first word.
    explicit LinuxScreenReaderPresence(int budgetMs = 1000) : m_budget(budgetMs) {}

    // VORNIX_SCREEN_READER first, then the desktop.
    ScreenReaderAnswer ask() override;

    // The desktop's answer from the session bus at the given D-Bus address,
    // the variable aside; none without an address.
    ScreenReaderAnswer askDesktop(const QString& sessionBusAddress) const;

    // Where the session bus is: DBUS_SESSION_BUS_ADDRESS, else the user's
    // bus in XDG_RUNTIME_DIR; empty when there is none. No bus is launched
    // to answer.
    static QString sessionBusAddress();

    // Whether an application of this name on the accessibility bus is a
    // screen reader.
    static bool isScreenReaderName(std::string_view applicationName);

private:
    std::chrono::milliseconds m_budget;
};
