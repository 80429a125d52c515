#pragma once

#include <Qt>

class QKeyEvent;
class QWidget;

// Enter as a dialog takes it: the push button that has the focus is pressed,
// and otherwise the window's enabled default button. True when a button was
// pressed; the caller passes the key on otherwise.
bool pressButtonForEnter(QWidget *window, const QKeyEvent *event);

// The frame of the program's fixed windows: a title with the system menu and a
// close button, no maximise button. The main window adds the minimise button.
Qt::WindowFlags fixedWindowFlags();
// Escape closes the window, as it closes a dialog: for the windows that only
// show or hand out something and hold no edit that a close would lose.
void closeOnEscape(QWidget *window);
// Shows a window, or brings it forward when it is on screen already, and gives
// it the focus.
void bringToFront(QWidget *window);
