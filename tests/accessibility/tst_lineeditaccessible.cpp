#include "accessibility/AccessibleFactory.h"
#include "accessibility/LineEditAccessible.h"
#include "ui/Hooked.h"

#include <QAccessible>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>

namespace
{

QAccessibleTextInterface* textOf(QWidget* w)
{
    return QAccessible::queryAccessibleInterface(w)->textInterface();
}

struct Span {
    QString text;
    int start;
    int end;
    friend bool operator==(const Span&, const Span&) = default;
};

char* toString(const Span& s)
{
    return QTest::toString(QStringLiteral("%1 (%2,%3)").arg(s.text).arg(s.start).arg(s.end));
}

Span atOffset(QAccessibleTextInterface* t, int offset, QAccessible::TextBoundaryType type)
{
    Span s;
    s.text = t->textAtOffset(offset, type, &s.start, &s.end);
    return s;
}

Span attributeRun(QAccessibleTextInterface* t, int offset)
{
    Span s;
    s.text = t->attributes(offset, &s.start, &s.end);
    return s;
}

const QAccessible::TextBoundaryType allTypes[] = {
    QAccessible::CharBoundary,      QAccessible::WordBoundary, QAccessible::SentenceBoundary,
    QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary};

} // namespace

class tst_LineEditAccessible : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installAccessibleFactory(); }
    void filledFieldIsReadWhole();
    void emptyFieldAnswersEveryBoundary();
    void passwordIsNotExposed();
    void describedAsQtDescribesIt();
    void caretSelectionAndEditing();
    void characterPlacesMatchPoints();
    void everyLineEditIsCovered();
};

// The screen reader reads a line by its attribute runs, and asks for the word
// at the caret's offset, the end of the text included.
void tst_LineEditAccessible::filledFieldIsReadWhole()
{
    Hooked<QLineEdit> edit;
    edit.setText(QStringLiteral("Taro"));
    QAccessibleTextInterface* text = textOf(&edit);
    QCOMPARE(text->characterCount(), 4);
    QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("Taro"));
    QCOMPARE(QAccessible::queryAccessibleInterface(&edit)->text(QAccessible::Value), QStringLiteral("Taro"));
    QCOMPARE(atOffset(text, 4, QAccessible::WordBoundary), Span({QStringLiteral("Taro"), 0, 4}));
    for (int offset = 0; offset <= 4; ++offset)
        QCOMPARE(attributeRun(text, offset), Span({QString(), 0, 4}));
    QCOMPARE(atOffset(text, 4, QAccessible::LineBoundary), Span({QStringLiteral("Taro"), 0, 4}));
    QCOMPARE(atOffset(text, 4, QAccessible::CharBoundary), Span({QString(), 4, 4}));
    // -2 is the caret, which setText leaves at the end.
    QCOMPARE(atOffset(text, -2, QAccessible::WordBoundary), Span({QStringLiteral("Taro"), 0, 4}));
    Span before;
    before.text = text->textBeforeOffset(4, QAccessible::CharBoundary, &before.start, &before.end);
    QCOMPARE(before, Span({QStringLiteral("o"), 3, 4}));
}

void tst_LineEditAccessible::emptyFieldAnswersEveryBoundary()
{
    QLineEdit edit;
    QAccessibleTextInterface* text = textOf(&edit);
    QCOMPARE(attributeRun(text, 0), Span({QString(), 0, 0}));
    for (auto type : allTypes) {
        Span after;
        after.text = text->textAfterOffset(0, type, &after.start, &after.end);
        QCOMPARE(atOffset(text, 0, type), Span({QString(), 0, 0}));
        QCOMPARE(after, Span({QString(), 0, 0}));
    }
}

void tst_LineEditAccessible::passwordIsNotExposed()
{
    QLineEdit edit(QStringLiteral("secret pw"));
    for (auto mode : {QLineEdit::Password, QLineEdit::PasswordEchoOnEdit}) {
        edit.setEchoMode(mode);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&edit);
        QVERIFY(iface->state().passwordEdit);
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("*********"));
        QCOMPARE(iface->textInterface()->text(0, -1), QStringLiteral("*********"));
        QCOMPARE(atOffset(iface->textInterface(), 2, QAccessible::WordBoundary).text,
                 QStringLiteral("*********"));
    }
    edit.setEchoMode(QLineEdit::NoEcho);
    QCOMPARE(textOf(&edit)->characterCount(), 0);
    QCOMPARE(atOffset(textOf(&edit), -2, QAccessible::LineBoundary), Span({QString(), 0, 0}));
}

// What the screen reader learns of three edits, with our factory or Qt's alone;
// each line also says whose interface answered.
static QStringList describeEdits(bool ours)
{
    // Qt makes an edit's interface as soon as its name is set.
    if (!ours)
        QAccessible::removeFactory(accessibleFactory);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(QStringLiteral("差出人の名前(&N)"));
    auto* withBuddy = new QLineEdit;
    label->setBuddy(withBuddy);
    auto* named = new QLineEdit;
    named->setAccessibleName(QStringLiteral("名前"));
    named->setAccessibleDescription(QStringLiteral("説明"));
    named->setReadOnly(true);
    auto* hinted = new QLineEdit;
    hinted->setPlaceholderText(QStringLiteral("未登録"));
    hinted->setEchoMode(QLineEdit::Password);
    for (QWidget* w : QWidgetList{label, withBuddy, named, hinted})
        layout->addWidget(w);
    QStringList out;
    for (QLineEdit* edit : {withBuddy, named, hinted}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit);
        const QAccessible::State state = iface->state();
        QString line = QStringLiteral("%1|%2|%3|%4")
                           .arg(iface->text(QAccessible::Name), iface->text(QAccessible::Description))
                           .arg(iface->role())
                           .arg(state.editable + 2 * state.readOnly + 4 * state.passwordEdit +
                                8 * state.selectableText + 16 * state.focusable);
        for (const auto& [other, relation] : iface->relations())
            line += QStringLiteral("|%1:%2").arg(other->text(QAccessible::Name)).arg(int(relation));
        if (dynamic_cast<LineEditAccessible*>(iface))
            line += QStringLiteral("|ours");
        out << line;
    }
    installAccessibleFactory();
    return out;
}

// Name, description, role, state and relations are Qt's own: the buddy label,
// the placeholder as description, the password state.
void tst_LineEditAccessible::describedAsQtDescribesIt()
{
    const QStringList qt = describeEdits(false);
    QStringList ours = describeEdits(true);
    for (QString& line : ours)
        QVERIFY2(line.endsWith(QStringLiteral("|ours")), qPrintable(line));
    for (QString& line : ours)
        line.chop(5);
    QCOMPARE(ours, qt);
    QVERIFY2(qt.at(0).startsWith(QStringLiteral("差出人の名前(N)||")), qPrintable(qt.at(0)));
    QVERIFY2(qt.at(2).startsWith(QStringLiteral("|未登録|")), qPrintable(qt.at(2)));
}

void tst_LineEditAccessible::caretSelectionAndEditing()
{
    QLineEdit edit(QStringLiteral("Taro Hanako"));
    QAccessibleTextInterface* text = textOf(&edit);
    auto* editable = QAccessible::queryAccessibleInterface(&edit)->editableTextInterface();
    QVERIFY(editable);

    text->setSelection(0, 5, 11);
    QCOMPARE(edit.selectedText(), QStringLiteral("Hanako"));
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(5, 11));
    QCOMPARE(text->selectionCount(), 1);
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    text->setCursorPosition(2);
    QCOMPARE(edit.cursorPosition(), 2);
    QCOMPARE(text->cursorPosition(), 2);

    editable->replaceText(5, 11, QStringLiteral("Jiro"));
    editable->insertText(0, QStringLiteral("Yamada "));
    editable->deleteText(11, 12);
    QCOMPARE(edit.text(), QStringLiteral("Yamada TaroJiro"));
    edit.setReadOnly(true);
    editable->deleteText(0, 7);
    QCOMPARE(edit.text(), QStringLiteral("Yamada TaroJiro"));
}

// Where a character is drawn and which character a point is on agree.
void tst_LineEditAccessible::characterPlacesMatchPoints()
{
    QLineEdit edit(QStringLiteral("Taro 山田"));
    edit.resize(300, edit.sizeHint().height());
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QAccessibleTextInterface* text = textOf(&edit);
    for (int offset = 0; offset < text->characterCount(); ++offset) {
        const QRect place = text->characterRect(offset);
        QVERIFY2(place.width() > 0 && place.right() < text->characterRect(offset + 1).right(),
                 qPrintable(QString::number(offset)));
        const QPoint leftPart(place.left() + place.width() / 4, place.center().y());
        QCOMPARE(text->offsetAtPoint(leftPart), offset);
    }
    QCOMPARE(text->offsetAtPoint(edit.mapToGlobal(QPoint(-5, 0))), -1);
}

void tst_LineEditAccessible::everyLineEditIsCovered()
{
    const auto ours = [](QWidget* w) {
        return dynamic_cast<LineEditAccessible*>(QAccessible::queryAccessibleInterface(w)) != nullptr;
    };
    Hooked<QLineEdit> field;
    QVERIFY(ours(&field));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QLineEdit* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(fileName);
    QVERIFY(ours(fileName));

    QSpinBox spin;
    QVERIFY(!ours(spin.findChild<QLineEdit*>()));
}

QTEST_MAIN(tst_LineEditAccessible)
#include "tst_lineeditaccessible.moc"
