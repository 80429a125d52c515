#pragma once

#include <QIcon>

// The pictures of the buttons, drawn by the program itself: they look the same
// on every desktop, and drawing them takes no image file, so no image reader
// (and no scan of the image-format plugins) runs while the windows are built.

// The green tick of an OK button.
QIcon checkMarkIcon();
// A printer, for "Полная таблица и печать".
QIcon printerIcon();
