#include "selfvoicing/WidgetQuery.h"

#include "selfvoicing/ReaderPhrasing.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace WidgetQuery
{

namespace
{

bool layoutHolds(QLayoutItem* item, const QWidget* widget)
{
    if (item->widget() == widget)
        return true;
    if (QLayout* inner = item->layout()) {
        for (int i = 0; i < inner->count(); ++i) {
            if (layoutHolds(inner->itemAt(i), widget))
                return true;
        }
    }
    return false;
}

QLabel* labelLeftInGrid(QWidget* widget)
{
    QWidget* parent = widget->parentWidget();
    auto* grid = parent ? qobject_cast<QGridLayout*>(parent->layout()) : nullptr;
    if (!grid)
        return nullptr;
    for (int i = 0; i < grid->count(); ++i) {
        if (!layoutHolds(grid->itemAt(i), widget))
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        QLayoutItem* left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
        return left ? qobject_cast<QLabel*>(left->widget()) : nullptr;
    }
    return nullptr;
}

// A file model answers the path in this role, a model of places its URL.
QString pathOf(const QModelIndex& index)
{
    const QVariant value = index.data(QFileSystemModel::FilePathRole);
    if (value.typeId() == QMetaType::QUrl)
        return value.toUrl().toLocalFile();
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QString currentItem(QWidget* widget)
{
    auto* view = qobject_cast<QAbstractItemView*>(widget);
    return view ? item(view->currentIndex()) : QString();
}

} // namespace

QStringList window(QWidget* window)
{
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        const QString words = ReaderPhrasing::menu(menu->title());
        return words.isEmpty() ? QStringList() : QStringList{words};
    }
    if (!qobject_cast<QMessageBox*>(window) && !qobject_cast<QFileDialog*>(window))
        return {};
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window);
    if (!accessible)
        return {};
    QStringList words{accessible->text(QAccessible::Name)};
    if (qobject_cast<QMessageBox*>(window))
        words << accessible->text(QAccessible::Value);
    words.removeAll(QString());
    return words;
}

QString control(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        return {};
    const QString name = accessible->text(QAccessible::Name);
    const QString value = accessible->text(QAccessible::Value);
    switch (ReaderPhrasing::kindOf(accessible->role())) {
    case ReaderPhrasing::Kind::Button:
        return ReaderPhrasing::button(name);
    case ReaderPhrasing::Kind::Field: {
        const QString caption = label(widget);
        return ReaderPhrasing::field(caption.isEmpty() ? name : caption, value);
    }
    case ReaderPhrasing::Kind::Choice:
        // A list box's accessible name is its chosen entry: only a label names it.
        return ReaderPhrasing::choice(label(widget), value);
    case ReaderPhrasing::Kind::List: {
        const QString caption = label(widget);
        return ReaderPhrasing::list(caption.isEmpty() ? name : caption, currentItem(widget));
    }
    case ReaderPhrasing::Kind::Other:
        break;
    }
    return ReaderPhrasing::other(name, value);
}

QString item(const QModelIndex& index)
{
    if (!index.isValid())
        return {};
    const QModelIndex first = index.siblingAtColumn(0);
    const QString path = pathOf(first);
    return ReaderPhrasing::entry(first.data(Qt::DisplayRole).toString(),
                              !path.isEmpty() && QFileInfo(path).isDir());
}

QString action(const QAction* action)
{
    return action->menu() ? ReaderPhrasing::menu(action->text()) : ReaderPhrasing::plainCaption(action->text());
}

QString label(QWidget* widget)
{
    if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget)) {
        const auto labels = accessible->relations(QAccessible::Label);
        if (!labels.isEmpty() && labels.constFirst().first)
            return labels.constFirst().first->text(QAccessible::Name);
    }
    QLabel* beside = labelLeftInGrid(widget);
    return beside ? beside->text() : QString();
}

} // namespace WidgetQuery
