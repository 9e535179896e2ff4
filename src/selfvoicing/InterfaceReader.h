#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

class QAbstractItemView;
class QAction;
class QComboBox;
class QItemSelectionModel;
class QWidget;
class SpeechChannel;

// Reads aloud what the program's own announcements leave to a screen reader:
// Qt's message boxes and file dialog, menus and the menu bar, and an entry a
// user chooses in a list. For use when no screen reader runs.
//
// Qt raises no accessibility events without an accessibility bus, so the
// reader follows Qt's signals and events instead and asks each widget's
// accessible interface for its words. It speaks once per event-loop turn, for
// the place the user is at when the turn ends: a list refilled row by row or a
// box opened and closed in one go says nothing in between, and a widget gone
// by then says nothing at all.
//
// The program's own windows announce their controls themselves: the reader
// never speaks for their focus, only for the entry a user chooses in one of
// their lists. Like every announcement, the reader's starts by cutting off
// what is still being said.
class InterfaceReader : public QObject
{
    Q_OBJECT

public:
    explicit InterfaceReader(SpeechChannel& speech, QObject* parent = nullptr);
    ~InterfaceReader() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void focusChanged(QWidget* old, QWidget* now);
    void listIndexChanged(int index);
    void currentItemChanged(const QModelIndex& current);
    void menuHovered(QAction* action);
    void menuBarHovered(QAction* action);

private:
    // Where the user is, as the last event of the turn left it.
    struct Place {
        enum class Kind { None, Focus, ListEntry, ItemEntry, MenuEntry, MenuBarEntry };
        Kind kind = Kind::None;
        QPointer<QWidget> widget;
        QPointer<QAction> action;
        QPersistentModelIndex index;
    };

    void windowShown(QWidget* window);
    void follow(QWidget* widget, QWidget* from);
    void followView(QAbstractItemView* view);
    void followMenuBars(QWidget* window);
    QAbstractItemView* viewShowing(const QItemSelectionModel* selection) const;
    void land(Place place);

    void speakTurn();
    QStringList openedWindowWords(QWidget* window, Place& place);
    QString placeWords(const Place& place);
    QString listEntryWords(QComboBox* list, const QString& entry);

    SpeechChannel& m_speech;
    QTimer m_turnEnd;
    QPointer<QWidget> m_openedWindow;
    Place m_place;
    // The control read together with its window, so the focus arriving there
    // when the window becomes active is not read a second time.
    QPointer<QWidget> m_readWithWindow;
    // A window read before any of its controls had the focus.
    QPointer<QWidget> m_windowAwaitingFocus;
    bool m_continuesWindow = false;
    // The last entry heard in a list, so that committing an entry chosen in
    // the list's popup does not say it again.
    QPointer<QComboBox> m_heardList;
    QString m_heardEntry;
    // The list the user's last key or click went to (itself or its popup).
    QPointer<QComboBox> m_listInUse;
};
