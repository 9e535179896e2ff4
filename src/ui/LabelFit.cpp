#include "ui/LabelFit.h"

#include <QLabel>
#include <algorithm>

void showLabelWhole(QLabel* label)
{
    QWidget* container = label->parentWidget();
    if (!container || label->wordWrap() || label->text().isEmpty())
        return;
    const QRect own = label->geometry();
    int limit = container->contentsRect().right() + 1;
    for (QWidget* sibling : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect other = sibling->geometry();
        // Only what shares the label's row and starts beyond it; a box drawn
        // around the label (or a band behind it) contains it and is no limit.
        if (sibling == label || other.left() <= own.left() || other.top() > own.bottom()
            || other.bottom() < own.top())
            continue;
        limit = std::min(limit, other.left());
    }
    const int room = label->contentsRect().width() - 2 * label->margin();
    if (label->fontMetrics().horizontalAdvance(label->text()) <= room)
        return;
    const int wanted = std::min(label->sizeHint().width(), limit - own.left());
    if (wanted > own.width())
        label->resize(wanted, own.height());
}
