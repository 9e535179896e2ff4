#pragma once

#include <QIcon>

// The program's own icon, drawn from the one picture the Windows .exe and the
// Linux menu entry use too, so the windows and the version dialog show what
// the user started.
QIcon programIcon();
