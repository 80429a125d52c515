#pragma once

#include <QWidget>

// The settings window. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm6 : public QWidget {
    Q_OBJECT

public:
    explicit TForm6(QWidget *parent = nullptr);
};
