#include "dialogs/frmAbout.h"

#include "accessibility/ControlVoice.h"
#include "readermode/ScreenReaderMode.h"
#include "dialogs/DialogPlacement.h"
#include "platform/ModulePresence.h"
#include "speech/SpeechChannel.h"
#include "ui/DesignFonts.h"
#include "ui/FixedWindow.h"
#include "ui/LabelFit.h"
#include "ui/PlacedControls.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <utility>

namespace
{

const QString ProgramName = QStringLiteral("VORNIXサポートソフト");

} // namespace

frmAbout::frmAbout(SpeechChannel& speech, ModulePresence& modules, QWidget* parent)
    : QDialog(parent), m_speech(speech), m_modules(modules)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(fixedWindowFlags(Qt::Dialog));
    setFixedSize(fromTwips(6045), fromTwips(3465));
    buildControls();
    Form_Load();
    ScreenReaderMode::applyTo(this, m_speech);
    cmdOK->setFocus(Qt::OtherFocusReason);
}

frmAbout::~frmAbout()
{
    HookedControl::releaseAll(this);
}

void frmAbout::showModal(SpeechChannel& speech, ModulePresence& modules, QWidget* mainWindow)
{
    frmAbout dialog(speech, modules, mainWindow);
    centreOver(&dialog, mainWindow);
    dialog.exec();
}

QString frmAbout::versionNumber()
{
    return QStringLiteral("%1.%2.%3").arg(VX_VERSION_MAJOR).arg(VX_VERSION_MINOR).arg(VX_VERSION_PATCH);
}

bool frmAbout::GetVobrLoad() const
{
    return m_modules.isLoaded(QString::fromLatin1(ScreenReaderModule));
}

void frmAbout::buildControls()
{
    cmdOK = makePushButton<Hooked<QPushButton>>(this, "cmdOK", QStringLiteral("OK"),
                                                QRect(4320, 2760, 1380, 405));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    ControlVoice::button(cmdOK, m_speech, ProgramName, QStringLiteral("バージョン") + versionNumber());
    // Enter presses it as the default button, Esc as the cancel button
    // (QDialog rejects on Esc); both just close the dialog.
    cmdOK->setAutoDefault(true);
    cmdOK->setDefault(true);
    // A dialog that is not yet the active window gets a focus-in from Qt when
    // it is shown and another when it becomes active; the user is to hear the
    // name once, so only a focus-in after a focus-out announces again.
    cmdOK->handlers.gotFocus = [this, announce = cmdOK->handlers.gotFocus](Qt::FocusReason reason) {
        if (!std::exchange(m_announcedSinceFocusIn, true))
            announce(reason);
    };
    cmdOK->handlers.lostFocus = [this](Qt::FocusReason) { m_announcedSinceFocusIn = false; };
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    picIcon = makeLabel(this, "picIcon", QString(), QRect(360, 300, 540, 540));
    picIcon->setPixmap(programIcon().pixmap(picIcon->size()));

    lblDescription =
        makeLabel(this, "lblDescription", QStringLiteral("制作 : ヴォルニクス支援ボランティアの会"),
                  QRect(1260, 600, 2610, 195));
    lblDescription->setFont(designFont(PGothicFamily, 9.75));

    lblDisclaimer =
        makeLabel(this, "lblDisclaimer",
                  QStringLiteral("【注意】このプログラムは、ボランティアや販売店など、ヴォルニクスを"
                                 "サポートされる方を支援する、フリーソフトです。"),
                  QRect(375, 2685, 3750, 585));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblTitle = makeLabel(this, "lblTitle", ProgramName, QRect(1260, 240, 2430, 240));
    lblTitle->setFont(designFont(PGothicFamily, 12, true));

    lblVersion = makeLabel(this, "lblVersion", QString(), QRect(3840, 240, 1245, 225));
    lblVersion->setFont(designFont(PGothicFamily, 11.25));

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Voxbridge情報"), QRect(1200, 1080, 4095, 1035));
    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("このパソコンへのインストール : "),
                       QRect(360, 300, 2415, 180));
    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("現在の起動状態　:"), QRect(360, 600, 2835, 255));
}

// Nothing is spoken here: the first thing heard is cmdOK gaining the focus.
void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    lblVersion->setText(QStringLiteral("Ver ") + versionNumber());
    Label1->setText(m_speech.screenReaderInstalled() ? QStringLiteral("このパソコンにインストールされています")
                                                    : QStringLiteral("このパソコンにはインストールされていません"));
    Label2->setText(GetVobrLoad() ? QStringLiteral("Voxbridgeは起動中です")
                                  : QStringLiteral("Voxbridgeは起動していません"));
    // The status lines are set here, after the layout: they are the ones the
    // dialog is there to tell.
    for (QLabel* label : findChildren<QLabel*>())
        showLabelWhole(label);
}
