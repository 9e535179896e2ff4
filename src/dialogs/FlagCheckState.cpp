#include "dialogs/FlagCheckState.h"

Qt::CheckState checkStateForFlag(int32_t flag)
{
    switch (flag) {
    case 0:
        return Qt::Unchecked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Checked;
    }
}

int32_t flagForCheckState(int32_t loadedFlag, Qt::CheckState state)
{
    if (state == checkStateForFlag(loadedFlag))
        return loadedFlag;
    switch (state) {
    case Qt::Unchecked:
        return 0;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Checked:
        break;
    }
    return 1;
}
