#pragma once

#include <QWidget>

// The gift catalogue. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm5 : public QWidget {
    Q_OBJECT

public:
    explicit TForm5(QWidget *parent = nullptr);
};
