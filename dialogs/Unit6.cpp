#include "Unit6.h"

TForm6::TForm6(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(380, 185);
}
