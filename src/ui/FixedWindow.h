#pragma once

#include <Qt>

// Every window of the program has a single fixed border with only the close
// box: nothing can resize, minimise or maximise it.
constexpr Qt::WindowFlags fixedWindowFlags(Qt::WindowType type)
{
    return type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}
