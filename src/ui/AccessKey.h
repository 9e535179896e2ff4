#pragma once

#include <QString>

// A caption as it reads without its access-key marker ("&&" stays a literal
// "&"): what a screen reader's name for the control and the program's own
// words say.
QString withoutAccessKeyMarker(const QString& caption);
