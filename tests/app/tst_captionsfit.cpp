// Every caption of the three windows is shown whole at the layout's sizes,
// with the fonts the program asks for: a caption cut short hides part of what
// a sighted helper reads off the screen.

#include "AppFixture.h"
#include "FakeModulePresence.h"
#include "RecordingSpeechObject.h"
#include "WindowControls.h"
#include "account/Acd.h"
#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "dialogs/Kodo.h"
#include "dialogs/frmAbout.h"
#include "speech/SpeechChannel.h"
#include "ui/FrameBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

namespace {

struct Fit {
    QString text;
    int needed = 0;
    int room = 0;
};

// The width a caption needs and the width its control gives the text; an
// empty text for a control that shows none.
Fit fitOf(QWidget* w)
{
    const QFontMetrics metrics = w->fontMetrics();
    Fit fit;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        fit.text = label->text();
        if (label->wordWrap()) {
            // Wrapped: every line must fit in the height.
            fit.needed = label->heightForWidth(label->contentsRect().width());
            fit.room = label->contentsRect().height();
            return fit;
        }
        fit.needed = metrics.horizontalAdvance(fit.text);
        fit.room = label->contentsRect().width() - 2 * label->margin();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        fit.text = withoutAccessKeyMarker(button->text());
        fit.needed = metrics.horizontalAdvance(fit.text);
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents = qobject_cast<QCheckBox*>(w)       ? QStyle::SE_CheckBoxContents
                                            : qobject_cast<QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                                             : QStyle::SE_PushButtonContents;
        fit.room = w->style()->subElementRect(contents, &option, w).width();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        fit.text = withoutAccessKeyMarker(group->title());
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = w->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w);
        fit.needed = label.left() + metrics.horizontalAdvance(fit.text);
        fit.room = group->width();
    }
    return fit;
}

QStringList cutShort(QWidget* window)
{
    QStringList faults;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const Fit fit = fitOf(w);
        if (!fit.text.isEmpty() && fit.needed > fit.room)
            faults << QStringLiteral("%1 \"%2\": needs %3, has %4")
                          .arg(w->objectName(), fit.text)
                          .arg(fit.needed)
                          .arg(fit.room);
    }
    return faults;
}

} // namespace

class tst_CaptionsFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mainWindow();
    void sampleHints();
    void advancedDialog();
    void versionDialog();
};

void tst_CaptionsFit::initTestCase()
{
    installFontSubstitutions();
    QApplication::setFont(applicationFont());
}

void tst_CaptionsFit::mainWindow()
{
    AppFixture app;
    QVERIFY(app.start());
    FormSupport& f = app.form();
    // With the help pane showing, its close button is there too. The focus
    // starts in txtName, whose help F1 shows.
    AppFixture::key(Qt::Key_F1);
    QTRY_VERIFY(WindowControls(&f).button("Command6")->isVisible());
    const QStringList faults = cutShort(&f);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

// The hints a worked example puts above the fields are the longest captions
// of all; each is shown whole, on its own row, over no other control, and a
// shorter one loaded next stands where the layout has it.
void tst_CaptionsFit::sampleHints()
{
    AppFixture app;
    QVERIFY(app.start());
    FormSupport& f = app.form();
    const WindowControls ui(&f);
    const QRect designed = ui.label("lblAddress")->geometry();
    for (int provider = 0; provider < ui.list("Combo1")->count(); ++provider) {
        for (QLineEdit* edit : f.findChildren<QLineEdit*>())
            edit->clear();
        ui.list("Combo1")->setCurrentIndex(provider);
        f.Sanko();
        QStringList faults = cutShort(&f);
        for (QLabel* hint : {ui.label("lblAddress"), ui.label("lblPOP"), ui.label("lblSMTP"),
                             ui.label("lblID"), ui.label("lblPW")}) {
            for (QWidget* other : hint->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other != hint && other->isVisible() && other->geometry().intersects(hint->geometry())
                    && !other->geometry().contains(hint->geometry()) && other->geometry().top() < hint->geometry().bottom())
                    faults << QStringLiteral("%1 covers %2").arg(hint->objectName(), other->objectName());
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(QString::number(provider) + u'\n' + faults.join(u'\n')));
    }
    // biglobe's short address hint after ODN's: back where the layout puts it.
    for (QLineEdit* edit : f.findChildren<QLineEdit*>())
        edit->clear();
    ui.list("Combo1")->setCurrentIndex(1);
    f.Sanko();
    QCOMPARE(ui.label("lblAddress")->geometry().topLeft(), designed.topLeft());
}

void tst_CaptionsFit::advancedDialog()
{
    Acd acd;
    defaultAcd(acd);
    SpeechChannel speech;
    Kodo dialog(acd, speech, QString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList faults = cutShort(&dialog);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

void tst_CaptionsFit::versionDialog()
{
    // No speech and no screen reader: the longer of each status line.
    SpeechChannel speech;
    FakeModulePresence modules;
    frmAbout dialog(speech, modules);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList faults = cutShort(&dialog);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

QTEST_MAIN(tst_CaptionsFit)
#include "tst_captionsfit.moc"
