#pragma once

#include <QWidget>

// The team lists window: one tab per team list. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
};
