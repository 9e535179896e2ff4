#pragma once

#include <QString>

// What the guide pane says at start-up: how the mail client takes in an
// account data file made with this tool.
QString guideText();
