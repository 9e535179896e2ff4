#pragma once

#include "platform/ScreenReaderPresence.h"

#include <QString>

class QDBusConnection;

// Asks the desktop's accessibility services: the screen-reader switch
// (org.a11y.Status ScreenReaderEnabled on the session bus), and failing that
// whether anyone on the accessibility bus listens for focus events, which is
// what a screen reader does and nothing else on a desktop does. The bus being
// enabled is no sign: toolkits turn it on for themselves.
//
// The first question runs at start, in the window's way: the calls on the
// buses together wait no longer than `budgetMs` for their answers (connecting
// to the accessibility bus, a local socket, is not counted), and without a
// session bus the answer is "no" at once. Later questions run on a thread of
// their own. Nothing is started by asking (no service activation).
class AtSpiScreenReaderPresence : public ScreenReaderPresence
{
public:
    explicit AtSpiScreenReaderPresence(int budgetMs = 300) : m_budgetMs(budgetMs) {}

    // VORNIX_SCREEN_READER first, then the desktop.
    bool isRunning() override;

    // The desktop's answer on the given session bus, the variable aside.
    bool askDesktop(const QDBusConnection& sessionBus) const;

    // "Focus:" and "Object:StateChanged:Focused" (with or without detail) are
    // the events a screen reader registers to follow the focus.
    static bool isFocusEvent(const QString& event);

private:
    int m_budgetMs;
};
