#pragma once

#include "Seams.h"

// The program's message boxes: modal boxes over the active window.
class WidgetMessages final : public Messages {
public:
    void information(const QString &text) override;
    void error(const QString &text) override;
    Answer askYesNo(const QString &text) override;
    Answer askYesNoCancel(const QString &text) override;
    Answer askOkCancel(const QString &text) override;
};
