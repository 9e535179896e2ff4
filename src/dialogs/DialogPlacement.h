#pragma once

class QWidget;

// Places a dialog of fixed size over the middle of the main window (or of the
// screen when there is none), kept inside the screen's available area so that
// no part of it is out of reach.
void centreOver(QWidget* dialog, const QWidget* mainWindow);
