#include "Unit8.h"

TForm8::TForm8(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Все последние команды"));
    resize(315, 514);
    move(212, 113);
}
