#pragma once

#include "ui/ClickableLabel.h"
#include "ui/Hooked.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <array>

struct Acd;
class FrameBox;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

using EntryField = Hooked<QLineEdit>;
using CommandButton = Hooked<QPushButton>;
using ProviderList = Hooked<QComboBox>;
using TextPane = Hooked<QPlainTextEdit>;

// The main window's controls, made and placed as its layout gives them (in
// twips), with their fonts, colours and the words a screen reader finds.
// Controls carry their design names both as members and as objectName.
struct FormControls {
    static const QString Title;
    static const QString GuideTitle;
    static const QString HelpTitle;
    static const QString Combo1Title;
    static const QString Combo2Title;

    // One of the six entry fields and all that belongs to it.
    struct Field {
        EntryField* edit = nullptr;
        ClickableLabel* caption = nullptr;
        QLabel* hint = nullptr;
        // The member of the account record the field edits.
        QString Acd::*record = nullptr;
        // What the field says of itself before its value.
        QString spokenLabel;
        QString (*helpText)() = nullptr;
    };

    // A push button and what it says when it gets the focus.
    struct Button {
        CommandButton* button = nullptr;
        QString spokenLabel;
        QString keyHint;
    };

    // Makes window the main window as designed (its name, title, border and
    // font), then every control and menu, in the order that stacks them as
    // designed; fits the captions to their text and sets the tab order.
    void createControls(QMainWindow* window);

    // Fills both provider lists from the provider table, nothing selected.
    void ComboSet();
    // A hint label shows text, whole, and the screen reader finds it as its
    // field's description.
    void setHint(QLabel* hint, const QString& text);

    // The record's six text fields into the entry fields, and back.
    void showRecord(const Acd& acd);
    void takeIntoRecord(Acd& acd) const;
    // The caption of the entry field that edits member, as it reads (no
    // access-key marker); empty for a member no field here edits.
    QString captionOf(QString Acd::*member) const;

    // The six fields in keyboard order.
    std::array<Field, 6> fields{};
    // Command4, Command5, Command2, Command1, Command3.
    std::array<Button, 5> buttons{};

    // Controls in keyboard order, then the rest.
    FrameBox* Frame1 = nullptr;
    ClickableLabel* lblName0 = nullptr;
    EntryField* txtName = nullptr;
    ClickableLabel* lblName = nullptr;
    ClickableLabel* lblAddress0 = nullptr;
    EntryField* txtAddress = nullptr;
    ClickableLabel* lblAddress = nullptr;
    CommandButton* Command4 = nullptr;
    FrameBox* Frame2 = nullptr;
    ClickableLabel* lblPOP0 = nullptr;
    EntryField* txtPOP = nullptr;
    ClickableLabel* lblPOP = nullptr;
    ClickableLabel* lblSMTP0 = nullptr;
    ClickableLabel* lblSMTP = nullptr;
    EntryField* txtSMTP = nullptr;
    ClickableLabel* lblID0 = nullptr;
    EntryField* txtID = nullptr;
    ClickableLabel* lblID = nullptr;
    ClickableLabel* lblPW0 = nullptr;
    EntryField* txtPW = nullptr;
    CommandButton* Command5 = nullptr;
    CommandButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    ProviderList* Combo1 = nullptr;
    QLabel* Label8 = nullptr;
    CommandButton* Command1 = nullptr;
    QLabel* Label15 = nullptr;
    ProviderList* Combo2 = nullptr;
    QLabel* Label16 = nullptr;
    CommandButton* Command3 = nullptr;
    TextPane* txtGuide = nullptr;
    ClickableLabel* lblPW = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label2 = nullptr;
    ClickableLabel* Label3 = nullptr;
    TextPane* txtHelp = nullptr;
    CommandButton* Command6 = nullptr;

    QMenu* mnu_file = nullptr;
    QAction* mnu_file_open = nullptr;
    QAction* mnu_file_save = nullptr;
    QAction* dummy001 = nullptr;
    QAction* mnu_file_fdopen = nullptr;
    QAction* mnu_file_fdsave = nullptr;
    QAction* dummy05 = nullptr;
    QAction* mnu_file_exit = nullptr;
    QMenu* mnu_edit = nullptr;
    QAction* mnu_edit_clear = nullptr;
    QMenu* mnu_help = nullptr;
    QAction* mnu_help_web1 = nullptr;
    QAction* mnu_help_web2 = nullptr;
    QAction* duumy01 = nullptr;
    QAction* mnu_help_ver = nullptr;

private:
    struct ControlLayout;
    static const ControlLayout ControlLayouts[];
    struct FieldRow;
    static const FieldRow FieldRows[6];

    void createControl(QWidget* client, const ControlLayout& layout);
    void createMenus(QMenuBar* bar);
    void setKeyboardOrder();
    void describe();
};
