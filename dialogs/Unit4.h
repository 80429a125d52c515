#pragma once

#include <QWidget>

// The borderless congratulation window. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(QWidget *parent = nullptr);
};
