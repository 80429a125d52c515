#include "Unit9.h"

TForm9::TForm9(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Введите результаты турнира"));
    resize(793, 449);
    move(212, 125);
}
