#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

class QAction;
class QWidget;

// What the reader says for a live widget, read the way a screen reader reads
// it: name, role and value through the widget's accessible interface, which
// answers without an accessibility bus.
namespace WidgetQuery
{

// A message box: its title, then its text. A file dialog: its title. A menu:
// its name. Nothing for other windows.
QStringList window(QWidget* window);

// A control that has the focus, with the label beside it.
QString control(QWidget* widget);

// An entry of a list or tree, with "フォルダ" where it names a folder.
QString item(const QModelIndex& index);

// An entry of a menu, or of the menu bar (a menu's name).
QString action(const QAction* action);

// The text of the label that names the widget: its buddy, else the label
// left of it in the same row of a grid (Qt's file dialog names its lists so).
QString label(QWidget* widget);

} // namespace WidgetQuery
