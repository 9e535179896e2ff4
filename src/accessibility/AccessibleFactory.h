#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

// Our accessible interfaces for the classes Qt's own serve badly: every line
// edit of the program and of Qt's dialogs.
QAccessibleInterface* accessibleFactory(const QString& className, QObject* object);

// Qt asks the factory installed last first, and keeps an interface once made:
// call after the application object exists and before any window is built.
void installAccessibleFactory();
