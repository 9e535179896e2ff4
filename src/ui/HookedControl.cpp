#include "ui/HookedControl.h"

#include <QWidget>

void HookedControl::releaseAll(QWidget* window)
{
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (auto* hooked = dynamic_cast<HookedControl*>(child))
            hooked->handlers = {};
    }
}
