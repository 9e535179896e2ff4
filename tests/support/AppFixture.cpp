#include "AppFixture.h"

#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "app/Program.h"
#include "platform/Platform.h"
#include "platform/qt/EntryPointFileDialogLibrary.h"

#include <QApplication>
#include <QTest>

AppFixture::AppFixture()
    : log(std::make_shared<RecordingSpeechObject::Log>()), messageBox(std::make_shared<FakeMessageBox>()),
      fileDialogLibrary(std::make_shared<FakeFileDialogEntryPoints>()),
      standardDialog(std::make_shared<FakeStandardFileDialog>()),
      driveTypes(std::make_shared<FakeDriveTypes>()), browsers(std::make_shared<FakeBrowser::Log>()),
      modules(std::make_shared<FakeModulePresence>()), realFileSystem(createSystemFileSystem()),
      fileSystem(std::make_shared<FaultyFileSystem>(realFileSystem))
{
    fileDialogLibrary->failingEntry = QStringLiteral("Create");
    driveTypes->driveList = FakeDriveTypes::letters();
    platform.speechFactory = RecordingSpeechObject::factory(log);
    platform.messageBox = messageBox;
    platform.fileDialogLibrary = std::make_shared<EntryPointFileDialogLibrary>(fileDialogLibrary);
    platform.standardFileDialog = standardDialog;
    platform.driveTypes = driveTypes;
    platform.browserFactory = FakeBrowser::factory(browsers);
    platform.modulePresence = modules;
    platform.fileSystem = fileSystem;
}

AppFixture::~AppFixture()
{
    // The window goes before the fakes it holds references to.
    m_program.reset();
}

bool AppFixture::start()
{
    installFontSubstitutions();
    m_program = std::make_unique<Program>(platform);
    if (!m_program->start())
        return false;
    FormSupport* window = m_program->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    return QTest::qWaitFor([] { return focusName() == QLatin1String("txtName"); });
}

FormSupport& AppFixture::form() const
{
    return *m_program->window();
}

QString AppFixture::focusName()
{
    const QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QStringLiteral("<none>");
}

void AppFixture::key(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    QTest::keyClick(w, Qt::Key(key), modifiers);
}

void AppFixture::type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* w = QApplication::focusWidget();
        if (!w)
            return;
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void AppFixture::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void AppFixture::focusAndForget(QWidget* w)
{
    w->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(focusName(), w->objectName());
    clearCalls();
}
