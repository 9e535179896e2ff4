#pragma once

#include "account/Acd.h"
#include "ui/Hooked.h"

#include <QCheckBox>
#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <cstdint>

class QGroupBox;
class QLabel;
class QRadioButton;
class SpeechChannel;

// The advanced settings dialog: edits the twelve fields of the account record
// that the main window does not show, straight on the record. It is built for
// one opening and discarded when it closes.
class Kodo : public QDialog
{
public:
    // senderName is the main window's sender-name text at the moment of
    // opening; a blank Title takes it (the Title rule).
    Kodo(Acd& acd, SpeechChannel& speech, QString senderName, QWidget* parent = nullptr);
    ~Kodo() override;

    // Builds the dialog, centres it over the main window, runs it modally and
    // discards it.
    static void showModal(Acd& acd, SpeechChannel& speech, const QString& senderName, QWidget* mainWindow);

    // Copies the record into the controls (after the Title rule).
    void SetData();

    // The caption of the dialog's box for a text field of the record, as it
    // reads (no access-key marker); empty for a field the dialog does not show.
    static QString captionOf(QString Acd::*field);

private:
    using TextBox = Hooked<QLineEdit>;
    using CheckBox = Hooked<QCheckBox>;
    using Button = Hooked<QPushButton>;

    // The flags as SetData found them: a box the user leaves alone gives its
    // loaded value back, even one it cannot show.
    struct LoadedFlags {
        int32_t ReplyUser = 0;
        int32_t SmtpAttestationPop = 0;
        int32_t PopStock = 0;
        int32_t PopWarning = 0;
        int32_t PopAttestation = 0;
    };

    struct ControlLayout;
    static const ControlLayout ControlLayouts[];

    void buildControls();
    void createControl(const ControlLayout& layout);
    TextBox* createTextBox(QWidget* parent, const ControlLayout& layout);
    Button* createButton(const ControlLayout& layout);
    void connectControls();
    void setTabOrder();

    static void showFlag(QCheckBox* box, int32_t flag);
    void setDependent(QLineEdit* box, const QCheckBox* check);
    void refuseOk(TextBox* field);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    Acd& m_acd;
    SpeechChannel& m_speech;
    QString m_senderName;
    LoadedFlags m_loaded;
    // What each text box says of itself when it gains the focus; empty: nothing.
    QHash<const QLineEdit*, QString> m_spokenLabels;

    QGroupBox* Frame3 = nullptr;
    CheckBox* zPopStock = nullptr;
    TextBox* zPopStockDays = nullptr;
    TextBox* zPopPort = nullptr;
    QCheckBox* zPopWarning = nullptr;
    TextBox* zPopWarningSize = nullptr;
    QCheckBox* zPopAttestation = nullptr;
    QGroupBox* Frame1 = nullptr;
    TextBox* zLineLength = nullptr;
    CheckBox* zReplyUser = nullptr;
    TextBox* zReplyMail = nullptr;
    CheckBox* zSmtpAttestationPop = nullptr;
    TextBox* zSmtpPort = nullptr;
    QGroupBox* Frame4 = nullptr;
    TextBox* zTitle = nullptr;
    Button* Command1 = nullptr;
    Button* Command2 = nullptr;
    Button* Command3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QCheckBox* Check4 = nullptr;
};
