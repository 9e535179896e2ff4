#pragma once

#include "ui/Hooked.h"

#include <QDialog>
#include <QPushButton>
#include <QString>

class ModulePresence;
class QGroupBox;
class QLabel;
class SpeechChannel;

// The version dialog: the program's name and version, and whether the screen
// reader is installed and running. Built for one opening, discarded on close.
class frmAbout : public QDialog
{
public:
    frmAbout(SpeechChannel& speech, ModulePresence& modules, QWidget* parent = nullptr);
    ~frmAbout() override;

    // Builds the dialog, centres it over the main window, runs it modally and
    // discards it.
    static void showModal(SpeechChannel& speech, ModulePresence& modules, QWidget* mainWindow);

    // Whether the screen reader runs: its module is loaded into this process.
    bool GetVobrLoad() const;

    // The program's own version, major.minor.revision, as the build sets it.
    static QString versionNumber();

private:
    void buildControls();
    void Form_Load();

    SpeechChannel& m_speech;
    ModulePresence& m_modules;
    bool m_announcedSinceFocusIn = false;

    Hooked<QPushButton>* cmdOK = nullptr;
    QLabel* picIcon = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};
