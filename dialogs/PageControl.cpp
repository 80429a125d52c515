#include "PageControl.h"

#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTabBar>

namespace {

// Space around a tab's caption, between tabs of a row, between rows, and
// between the last row and the page.
constexpr int kPadding = 6;
constexpr int kGap = 3;
constexpr int kPageGap = 4;

class FlatTabBar final : public QTabBar {
public:
    explicit FlatTabBar(QWidget *parent) : QTabBar(parent) {
        setDrawBase(false);
        setUsesScrollButtons(false);
        setExpanding(false);
        setElideMode(Qt::ElideNone);
        setMouseTracking(true);
    }

    // The bar takes the whole width of the tab widget and as many rows as the
    // captions need there.
    QSize sizeHint() const override {
        const int width = parentWidget() ? parentWidget()->width() : this->width();
        const QList<QRect> rects = buttonRects(width);
        int height = 0;
        for (const QRect &rect : rects) {
            height = qMax(height, rect.bottom() + 1);
        }
        return {width, height + kPageGap};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override {
        QStylePainter painter(this);
        const QList<QRect> rects = buttonRects(width());
        for (int i = 0; i < rects.size(); ++i) {
            QStyleOptionToolButton option;
            option.initFrom(this);
            option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
            option.state |= QStyle::State_AutoRaise;
            if (!isTabEnabled(i)) {
                option.state &= ~QStyle::State_Enabled;
            }
            if (i == currentIndex()) {
                option.state |= QStyle::State_Sunken | QStyle::State_On;
            } else if (i == m_hovered && isTabEnabled(i)) {
                option.state |= QStyle::State_Raised | QStyle::State_MouseOver;
            }
            option.rect = rects[i];
            option.text = tabText(i);
            option.toolButtonStyle = Qt::ToolButtonTextOnly;
            option.subControls = QStyle::SC_ToolButton;
            painter.drawComplexControl(QStyle::CC_ToolButton, option);
            if (i == currentIndex() && hasFocus()) {
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = rects[i].adjusted(3, 3, -3, -3);
                painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
            }
        }
    }

    void mousePressEvent(QMouseEvent *event) override {
        const int index = buttonAt(event->position().toPoint());
        if (event->button() != Qt::LeftButton || index < 0 || !isTabEnabled(index)) {
            event->ignore();
            return;
        }
        setCurrentIndex(index);
    }
    void mouseMoveEvent(QMouseEvent *event) override { setHovered(buttonAt(event->position().toPoint())); }
    void mouseReleaseEvent(QMouseEvent *event) override { event->accept(); }
    void leaveEvent(QEvent *event) override {
        setHovered(-1);
        QTabBar::leaveEvent(event);
    }
    void tabLayoutChange() override {
        updateGeometry();
        update();
    }

private:
    // Tabs flow from left to right and wrap when the next one does not fit; the
    // space left in a row is shared out among its tabs.
    QList<QRect> buttonRects(int width) const {
        const QFontMetrics metrics = fontMetrics();
        const int rowHeight = metrics.height() + 2 * (kPadding - 2);
        QList<QList<int>> rows;
        int x = 0;
        for (int i = 0; i < count(); ++i) {
            const int tabWidth = metrics.horizontalAdvance(tabText(i)) + 2 * kPadding;
            if (rows.isEmpty() || (x > 0 && x + tabWidth > width)) {
                rows.append(QList<int>());
                x = 0;
            }
            rows.last().append(tabWidth);
            x += tabWidth + kGap;
        }
        QList<QRect> rects;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            const QList<int> &widths = rows[row];
            int used = kGap * int(widths.size() - 1);
            for (const int tabWidth : widths) {
                used += tabWidth;
            }
            const int spare = qMax(0, width - used);
            const int y = int(row) * (rowHeight + kGap);
            x = 0;
            for (qsizetype k = 0; k < widths.size(); ++k) {
                int tabWidth = widths[k] + spare / int(widths.size());
                if (k + 1 == widths.size()) {
                    tabWidth = qMax(widths[k], width - x);
                }
                rects.append(QRect(x, y, tabWidth, rowHeight));
                x += tabWidth + kGap;
            }
        }
        return rects;
    }

    int buttonAt(QPoint point) const {
        const QList<QRect> rects = buttonRects(width());
        for (int i = 0; i < rects.size(); ++i) {
            if (rects[i].contains(point)) {
                return i;
            }
        }
        return -1;
    }

    void setHovered(int index) {
        if (index != m_hovered) {
            m_hovered = index;
            update();
        }
    }

    int m_hovered = -1;
};

} // namespace

PageControl::PageControl(QWidget *parent) : QTabWidget(parent) {
    setTabBar(new FlatTabBar(this));
    setDocumentMode(true);
}
