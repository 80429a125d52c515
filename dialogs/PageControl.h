#pragma once

#include <QTabWidget>

// A tab widget whose tabs are flat buttons that wrap onto as many rows as the
// width needs, each row stretched to the full width, with the pages below them
// and without a frame. The tab of the page on top is drawn pressed.
class PageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);
};
