#include "Unit2.h"

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Команды"));
    setFixedSize(218, 481);
    move(344, 120);
}
