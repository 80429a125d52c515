#pragma once

#include <QApplication>

// The wait cursor while a window waits on the statistics database: a lock of
// another program can keep it busy for a while. Ends before any message is shown.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
