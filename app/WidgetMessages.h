#pragma once

#include "Seams.h"

#include <QFont>

// The program's message boxes: modal boxes over the active window.
class WidgetMessages final : public Messages {
public:
    void information(const QString &text) override;
    void error(const QString &text) override;
    Answer askYesNo(const QString &text) override;
    Answer askYesNoCancel(const QString &text) override;
    Answer askOkCancel(const QString &text) override;
};

// The font of every window: "MS Sans Serif" at 8 points where it is installed,
// else the desktop's sans-serif font at 8 points.
QFont programFont();
