#pragma once

#include <QFont>

// The font of every window: "MS Sans Serif" at 8 points where it is installed,
// else the desktop's sans-serif font at 8 points.
QFont programFont();
