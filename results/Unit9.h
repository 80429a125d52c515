#pragma once

#include <QWidget>

// The result window. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm9 : public QWidget {
    Q_OBJECT

public:
    explicit TForm9(QWidget *parent = nullptr);
};
