#include "ui/LabelFit.h"

#include <QLabel>
#include <QVariant>
#include <algorithm>

namespace {

constexpr char LayoutPlace[] = "vxLayoutPlace";

// The free space on the label's row, left and right of it, inside its
// container. A box drawn around the label (or a band behind it) contains it
// and is no limit.
struct Room {
    int left = 0;
    int right = 0; // one past the last free pixel
};

Room roomAround(const QLabel* label, const QRect& own)
{
    const QWidget* container = label->parentWidget();
    const QRect inside = container->contentsRect();
    Room room{inside.left(), inside.right() + 1};
    for (const QWidget* sibling : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect other = sibling->geometry();
        if (sibling == label || other.top() > own.bottom() || other.bottom() < own.top()
            || (other.left() <= own.left() && other.right() >= own.right()))
            continue;
        if (other.left() > own.left())
            room.right = std::min(room.right, other.left());
        else if (other.right() < own.left())
            room.left = std::max(room.left, other.right() + 1);
    }
    return room;
}

} // namespace

void showLabelWhole(QLabel* label, LabelReach reach)
{
    if (!label->parentWidget() || label->wordWrap())
        return;
    QVariant stored = label->property(LayoutPlace);
    if (!stored.isValid()) {
        stored = label->geometry();
        label->setProperty(LayoutPlace, stored);
    }
    const QRect own = stored.toRect();
    label->setGeometry(own);
    const int margins = label->width() - label->contentsRect().width() + 2 * label->margin();
    const int wanted = label->fontMetrics().horizontalAdvance(label->text()) + margins;
    if (label->text().isEmpty() || wanted <= own.width())
        return;
    Room room = roomAround(label, own);
    if (reach == LabelReach::Right)
        room.left = own.left();
    const int right = std::min(own.left() + wanted, std::max(room.right, own.right() + 1));
    const int left = std::max(room.left, std::min(own.left(), right - wanted));
    label->setGeometry(QRect(QPoint(left, own.top()), QPoint(right - 1, own.bottom())));
}
