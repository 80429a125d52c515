#include "HistoryTab.h"

#include "WaitCursor.h"

HistoryTab::HistoryTab(QWidget *page, ConnectionSource connection)
    : m_page(page), m_connection(std::move(connection)) {}

Status HistoryTab::readIfStale() {
    if (!m_stale) {
        return {};
    }
    const WaitCursor busy;
    const Status read = this->read();
    m_stale = !read.ok();
    return read;
}
