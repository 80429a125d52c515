#pragma once

#include <QWidget>

// The used-teams log window; an ordinary resizable window. Created hidden at start-up and kept for the whole
// run; closing it only hides it.
class TForm8 : public QWidget {
    Q_OBJECT

public:
    explicit TForm8(QWidget *parent = nullptr);
};
