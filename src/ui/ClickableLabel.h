#pragma once

#include <QLabel>

// A label that acts on a mouse click, as the caption labels (help on their
// field) and the F1 hint do. Like a button, the click counts when the button
// is released over the label.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool m_pressed = false;
};
