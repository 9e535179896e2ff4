#pragma once

#include "ui/AccessKey.h"

#include <QGroupBox>
#include <QPointer>

// A frame around a group of fields. A click on it, and its access key when it
// owns one, put the focus into the group's first field (not into the field
// that had it last, as a plain group box would).
class FrameBox : public QGroupBox
{
    Q_OBJECT

public:
    // caption marks its access key with "&". When ownsAccessKey is false the
    // letter is still underlined but the key is left to others (the menu bar
    // with the same letter), since two owners of one key make Qt fire neither
    // or each in turn.
    FrameBox(const QString& caption, bool ownsAccessKey, QWidget* parent = nullptr);

    void setFocusTarget(QWidget* target) { m_target = target; }
    QWidget* focusTarget() const { return m_target; }
    // The caption as designed, "&" included.
    QString caption() const { return m_caption; }

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void initStyleOption(QStyleOptionGroupBox* option) const override;

private:
    QString m_caption;
    QPointer<QWidget> m_target;
};
