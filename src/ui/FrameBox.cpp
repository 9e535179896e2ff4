#include "ui/FrameBox.h"

#include <QMouseEvent>
#include <QStyleOptionGroupBox>

FrameBox::FrameBox(const QString& caption, bool ownsAccessKey, QWidget* parent)
    : QGroupBox(parent)
    , m_caption(caption)
{
    // QGroupBox grabs the access key of whatever title it is given.
    setTitle(ownsAccessKey ? caption : withoutAccessKeyMarker(caption));
}

bool FrameBox::event(QEvent* e)
{
    if (e->type() == QEvent::Shortcut) {
        if (m_target)
            m_target->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QGroupBox::event(e);
}

void FrameBox::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && m_target) {
        m_target->setFocus(Qt::MouseFocusReason);
        e->accept();
        return;
    }
    QGroupBox::mousePressEvent(e);
}

void FrameBox::initStyleOption(QStyleOptionGroupBox* option) const
{
    QGroupBox::initStyleOption(option);
    // Drawn with its marker so the letter is underlined even where the key
    // belongs to someone else.
    option->text = m_caption;
}
