#pragma once

#include "ui/DesignFonts.h"

#include <QFont>
#include <QString>
#include <future>

class QApplication;
class QCoreApplication;

// Maps the Windows font names onto installed Japanese fonts: fixed-pitch for
// the entry fields, proportional for the rest; the first installed one wins.
// Needs the application object: it reads the installed fonts.
void installFontSubstitutions();

// Every window and dialog of a Japanese desktop starts from this font unless
// a control asks for another; the dialogs' captions are laid out for it.
QFont applicationFont();

// Qt's own texts (message-box buttons, file dialogs) in Japanese whatever the
// system locale, since the whole tool speaks Japanese. False when the
// translation is not installed; the tool then runs with Qt's English texts.
bool installJapaneseTranslation(QCoreApplication& app);

// The tool keeps nothing between runs. Qt's file dialog would otherwise store
// its recent folders (other people's account folders) in the user's settings.
void keepNoSettings();

// Everything the tool sets up between its application object and its first
// window, in order; the font configuration, started before the application
// object, is waited for on the way. Crash dumps are switched off before
// either, by the platform. The bench's copy of the window runs the same steps.
void setUpApplication(QApplication& app, std::future<void>& fontConfiguration);
