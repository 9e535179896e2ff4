#include "ui/AnnounceOnFocus.h"

void announceOnFocus(Hooked<QLineEdit>* field, std::function<void()> announce, std::function<void()> arrived)
{
    field->handlers.gotFocus = [field, announce, arrived](Qt::FocusReason) {
        if (arrived)
            arrived();
        field->setCursorPosition(0);
        field->deselect();
        announce();
    };
    field->handlers.regainedFocus = std::move(announce);
}
