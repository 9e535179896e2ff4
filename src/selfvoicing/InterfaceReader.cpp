#include "selfvoicing/InterfaceReader.h"

#include "selfvoicing/WidgetQuery.h"
#include "speech/SpeechChannel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <utility>

namespace
{

bool isReadWindow(const QWidget* window)
{
    return qobject_cast<const QMessageBox*>(window) || qobject_cast<const QFileDialog*>(window);
}

// The box or file dialog a control belongs to; the program's own windows
// read their controls themselves.
QWidget* readWindowOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (isReadWindow(w))
            return w;
    }
    return nullptr;
}

bool isPopup(const QWidget* widget)
{
    return widget->window()->windowType() == Qt::Popup;
}

// The list whose popup shows this view, if it is one.
QComboBox* listOwning(QWidget* widget)
{
    for (QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (auto* list = qobject_cast<QComboBox*>(w))
            return list;
    }
    return nullptr;
}

} // namespace

InterfaceReader::InterfaceReader(SpeechChannel& speech, QObject* parent) : QObject(parent), m_speech(speech)
{
    m_turnEnd.setSingleShot(true);
    m_turnEnd.setInterval(0);
    connect(&m_turnEnd, &QTimer::timeout, this, &InterfaceReader::speakTurn);
    connect(qApp, &QApplication::focusChanged, this, &InterfaceReader::focusChanged);
    qApp->installEventFilter(this);
    // A window shown before the reader started still has its menu bar read.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        followMenuBars(window);
}

InterfaceReader::~InterfaceReader()
{
    qApp->removeEventFilter(this);
}

bool InterfaceReader::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Show:
        if (widget->isWindow())
            windowShown(widget);
        break;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        if (auto* list = qobject_cast<QComboBox*>(widget))
            m_listInUse = list;
        else
            m_listInUse = listOwning(widget);
        break;
    default:
        break;
    }
    return false;
}

void InterfaceReader::windowShown(QWidget* window)
{
    followMenuBars(window);
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        connect(menu, &QMenu::hovered, this, &InterfaceReader::menuHovered, Qt::UniqueConnection);
    } else if (isPopup(window)) {
        // A list's popup or a completion list: its entries are read as the
        // user moves through them, the popup itself is no place of its own.
        const auto views = window->findChildren<QAbstractItemView*>();
        for (QAbstractItemView* view : views)
            followView(view);
        if (auto* view = qobject_cast<QAbstractItemView*>(window))
            followView(view);
        return;
    } else if (!isReadWindow(window)) {
        return;
    }
    m_openedWindow = window;
    if (!m_turnEnd.isActive())
        m_turnEnd.start();
}

void InterfaceReader::followMenuBars(QWidget* window)
{
    const auto bars = window->findChildren<QMenuBar*>();
    for (QMenuBar* bar : bars)
        connect(bar, &QMenuBar::hovered, this, &InterfaceReader::menuBarHovered, Qt::UniqueConnection);
}

void InterfaceReader::follow(QWidget* widget, QWidget* from)
{
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        connect(list, &QComboBox::currentIndexChanged, this, &InterfaceReader::listIndexChanged,
                Qt::UniqueConnection);
        // Its entry is heard as the focus arrives, by its window's
        // announcement or the reader's; back from its own popup, the entry
        // last heard there is the one it is about to take.
        if (!from || listOwning(from) != list) {
            m_heardList = list;
            m_heardEntry = list->currentText();
        }
    } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        followView(view);
    }
}

void InterfaceReader::followView(QAbstractItemView* view)
{
    if (QItemSelectionModel* selection = view->selectionModel())
        connect(selection, &QItemSelectionModel::currentChanged, this, &InterfaceReader::currentItemChanged,
                Qt::UniqueConnection);
}

void InterfaceReader::focusChanged(QWidget* old, QWidget* now)
{
    if (!now)
        return;
    follow(now, old);
    if (isPopup(now) || !readWindowOf(now))
        return;
    land({Place::Kind::Focus, now, {}, {}});
}

void InterfaceReader::listIndexChanged(int)
{
    auto* list = qobject_cast<QComboBox*>(sender());
    // Only the user's own choice, made with the list or its popup: the
    // program fills and sets its lists in answer to other keys, or none.
    if (!list || !list->hasFocus() || list != m_listInUse)
        return;
    land({Place::Kind::ListEntry, list, {}, {}});
}

QAbstractItemView* InterfaceReader::viewShowing(const QItemSelectionModel* selection) const
{
    if (!selection)
        return nullptr;
    auto* focused = qobject_cast<QAbstractItemView*>(QApplication::focusWidget());
    if (focused && focused->selectionModel() == selection)
        return focused;
    // A completion list moves through its entries while the keys stay with
    // the field it completes.
    auto* owner = qobject_cast<QAbstractItemView*>(selection->parent());
    if (owner && owner->isVisible() && owner->isWindow() && isPopup(owner) &&
        owner->selectionModel() == selection)
        return owner;
    return nullptr;
}

void InterfaceReader::currentItemChanged(const QModelIndex& current)
{
    auto* selection = qobject_cast<QItemSelectionModel*>(sender());
    QAbstractItemView* view = selection ? viewShowing(selection) : nullptr;
    if (!view)
        return;
    land({Place::Kind::ItemEntry, view, {}, QPersistentModelIndex(current)});
}

void InterfaceReader::menuHovered(QAction* action)
{
    land({Place::Kind::MenuEntry, qobject_cast<QMenu*>(sender()), action, {}});
}

void InterfaceReader::menuBarHovered(QAction* action)
{
    auto* bar = qobject_cast<QMenuBar*>(sender());
    // The bar repeats the entries of its open menus; those are the menu's.
    if (!bar || !bar->actions().contains(action))
        return;
    land({Place::Kind::MenuBarEntry, bar, action, {}});
}

void InterfaceReader::land(Place place)
{
    m_place = std::move(place);
    if (!m_turnEnd.isActive())
        m_turnEnd.start();
}

void InterfaceReader::speakTurn()
{
    Place place = std::exchange(m_place, Place{});
    const QPointer<QWidget> window = std::exchange(m_openedWindow, nullptr);
    QStringList words;
    if (window && window->isVisible())
        words = openedWindowWords(window, place);
    // The first focus in a window read without one goes on from the window's
    // words instead of cutting them off.
    const bool windowRead = !words.isEmpty();
    words << placeWords(place);
    const bool goesOn = std::exchange(m_continuesWindow, false) && !windowRead;
    words.removeAll(QString());
    if (words.isEmpty())
        return;
    if (!goesOn)
        m_speech.Quick();
    for (const QString& text : std::as_const(words))
        m_speech.Voice(text);
}

QStringList InterfaceReader::openedWindowWords(QWidget* window, Place& place)
{
    QStringList words = WidgetQuery::window(window);
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        // The menu's first entry is read with its name; the bar's entry that
        // opened it is the name just said.
        if (place.kind == Place::Kind::MenuBarEntry || place.widget == menu)
            place = {};
        if (QAction* active = menu->activeAction())
            words << WidgetQuery::action(active);
        return words;
    }
    // The control that will have the focus is read with its window, before
    // the window is active: the focus arriving there later is no news.
    QWidget* focused = window->focusWidget();
    m_windowAwaitingFocus = focused ? nullptr : window;
    if (focused) {
        words << WidgetQuery::control(focused);
        const bool arrived = place.kind == Place::Kind::Focus && place.widget == focused;
        if (arrived)
            place = {};
        m_readWithWindow = arrived ? nullptr : focused;
    }
    return words;
}

QString InterfaceReader::placeWords(const Place& place)
{
    switch (place.kind) {
    case Place::Kind::None:
        return {};
    case Place::Kind::Focus: {
        QWidget* widget = place.widget;
        const bool readWithWindow = widget && widget == m_readWithWindow;
        const QPointer<QWidget> awaiting = std::exchange(m_windowAwaitingFocus, nullptr);
        m_readWithWindow = nullptr;
        if (!widget || readWithWindow || widget != QApplication::focusWidget() || !widget->isVisible())
            return {};
        m_continuesWindow = awaiting && readWindowOf(widget) == awaiting;
        return WidgetQuery::control(widget);
    }
    case Place::Kind::ListEntry: {
        auto* list = qobject_cast<QComboBox*>(place.widget.data());
        if (!list || !list->hasFocus() || list->currentIndex() < 0)
            return {};
        return listEntryWords(list, list->currentText());
    }
    case Place::Kind::ItemEntry: {
        auto* view = qobject_cast<QAbstractItemView*>(place.widget.data());
        if (!view || !place.index.isValid() || place.index != view->currentIndex() ||
            viewShowing(view->selectionModel()) != view)
            return {};
        if (QComboBox* list = listOwning(view))
            return listEntryWords(list, place.index.data(Qt::DisplayRole).toString());
        return WidgetQuery::item(place.index);
    }
    case Place::Kind::MenuEntry: {
        auto* menu = qobject_cast<QMenu*>(place.widget.data());
        if (!menu || !place.action || !menu->isVisible() || menu->activeAction() != place.action)
            return {};
        return WidgetQuery::action(place.action);
    }
    case Place::Kind::MenuBarEntry: {
        auto* bar = qobject_cast<QMenuBar*>(place.widget.data());
        if (!bar || !place.action || !bar->isVisible() || bar->activeAction() != place.action)
            return {};
        // With its menu open, the menu is read instead.
        if (place.action->menu() && place.action->menu()->isVisible())
            return {};
        return WidgetQuery::action(place.action);
    }
    }
    return {};
}

QString InterfaceReader::listEntryWords(QComboBox* list, const QString& entry)
{
    if (list == m_heardList && entry == m_heardEntry)
        return {};
    m_heardList = list;
    m_heardEntry = entry;
    return entry;
}
