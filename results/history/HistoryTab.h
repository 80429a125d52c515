#pragma once

#include "Result.h"

#include <QObject>
#include <functional>

class QWidget;
class StatsConnection;

// One tab of the history window. Its controls stay in the window's design; the
// tab fills them from readings of its own of the tournament book, over the
// window's connection. It is read when it is shown and the book changed since
// its last good reading, so that the window reads only what the user sees. A
// new tab of the window is one more class of this kind.
class HistoryTab : public QObject {
public:
    // The window's connection to the statistics database; nullptr while it has none.
    using ConnectionSource = std::function<const StatsConnection *()>;

    HistoryTab(QWidget *page, ConnectionSource connection);

    // The page of the window's tab widget that this tab fills.
    QWidget *page() const { return m_page; }
    // The book changed: the next readIfStale() reads it again.
    void markStale() { m_stale = true; }
    // Reads the book, under the wait cursor, when it changed since the last good
    // reading. A reading that fails leaves the tab stale, so that its next
    // showing tries again; the failure is for the window to tell. The window
    // calls it only while it has a connection.
    virtual Status readIfStale();

protected:
    // Fills the tab from the book.
    virtual Status read() = 0;
    const StatsConnection *connection() const { return m_connection(); }

private:
    QWidget *m_page;
    ConnectionSource m_connection;
    bool m_stale = true;
};
