#include "Unit51.h"

TForm5::TForm5(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Подарки"));
    setFixedSize(512, 252);
}
