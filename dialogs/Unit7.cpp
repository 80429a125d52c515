#include "Unit7.h"

TForm7::TForm7(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Рандом на двоих"));
    setFixedSize(225, 88);
}
