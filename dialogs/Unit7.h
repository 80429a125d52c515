#pragma once

#include <QWidget>

// The random team for two players; it stays on top of the other windows. Created hidden at start-up and kept for the
// whole run; closing it only hides it.
class TForm7 : public QWidget {
    Q_OBJECT

public:
    explicit TForm7(QWidget *parent = nullptr);
};
