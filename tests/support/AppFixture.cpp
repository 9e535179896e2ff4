#include "AppFixture.h"

#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "app/Program.h"

#include <QApplication>
#include <QTest>

AppFixture::AppFixture()
    : log(std::make_shared<RecordingSpeechObject::Log>())
    , messageBox(std::make_shared<FakeMessageBox>())
{
    platform.speechFactory = RecordingSpeechObject::factory(log);
    platform.messageBox = messageBox;
}

AppFixture::~AppFixture() = default;

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

void AppFixture::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
