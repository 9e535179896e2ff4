#pragma once

#include "account/FileCommands.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

// The main window's controls as a user or a screen reader finds them: by the
// objectName each carries. A name the window lacks ends the test run at once.
class WindowControls
{
public:
    explicit WindowControls(const QWidget* window) : m_window(window) {}

    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QPushButton* button(const char* name) const { return find<QPushButton>(name); }
    QComboBox* list(const char* name) const { return find<QComboBox>(name); }
    QLabel* label(const char* name) const { return find<QLabel>(name); }
    QPlainTextEdit* pane(const char* name) const { return find<QPlainTextEdit>(name); }
    QMenu* menu(const char* name) const { return find<QMenu>(name); }
    QAction* action(const char* name) const { return find<QAction>(name); }

    // A pane's text with the CR LF line ends the program gave it.
    QString paneText(const char* name) const;
    // The entry field closing the help pane returns to; null until one was left.
    QLineEdit* lastField() const;
    // What the File menu's commands remember.
    const FileCommands& fileCommands() const;

private:
    // Any object of that class when name is null.
    template <typename T> T* find(const char* name) const
    {
        T* found = name ? m_window->findChild<T*>(QString::fromLatin1(name)) : m_window->findChild<T*>();
        if (!found)
            qFatal("The window has no %s %s", T::staticMetaObject.className(), name ? name : "");
        return found;
    }

    const QWidget* m_window;
};
