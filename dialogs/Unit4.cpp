#include "Unit4.h"

TForm4::TForm4(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TForm4"));
    setFixedSize(185, 185);
    move(386, 157);
}
