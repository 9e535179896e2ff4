#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// For tests that open one of the program's real modal dialogs: once a modal
// widget is showing and active (so keys reach its focus widget), runs the
// action on it (the action closes it, by keys or
// clicks). Should the dialog still be open timeoutMs after the action ran (or
// never have appeared), it is rejected so that the test cannot hang; the test
// then sees forcedClose() or !ran().
class ModalHelper : public QObject
{
public:
    explicit ModalHelper(std::function<void(QWidget*)> action, int timeoutMs = 5000)
        : m_action(std::move(action)), m_timeoutMs(timeoutMs)
    {
        m_clock.start();
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    bool ran() const { return m_ran; }
    bool forcedClose() const { return m_forcedClose; }
    // The modal widget the action ran on; null once it has been destroyed.
    QWidget* dialog() const { return m_dialog.data(); }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!m_ran) {
            if (modal && modal->isVisible() && modal->isActiveWindow()) {
                m_ran = true;
                m_dialog = modal;
                m_clock.restart();
                m_action(modal);
            } else if (m_clock.hasExpired(m_timeoutMs)) {
                m_timer.stop();
            }
            return;
        }
        if (!m_dialog || !m_dialog->isVisible()) {
            m_timer.stop();
        } else if (m_clock.hasExpired(m_timeoutMs)) {
            m_forcedClose = true;
            m_timer.stop();
            if (auto* d = qobject_cast<QDialog*>(m_dialog.data()))
                d->reject();
            else
                m_dialog->close();
        }
    }

    std::function<void(QWidget*)> m_action;
    int m_timeoutMs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QPointer<QWidget> m_dialog;
    bool m_ran = false;
    bool m_forcedClose = false;
};
