#include "Unit7.h"

#include "Cp1251.h"
#include "RandomForTwo.h"
#include "Seams.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit7.h"

TForm7::TForm7(QWidget *parent)
    : QWidget(parent, fixedWindowFlags() | Qt::WindowStaysOnTopHint), ui(std::make_unique<Ui::TForm7>()) {
    ui->setupUi(this);
    setFixedSize(225, 88);
    closeOnEscape(this);
    ui->Label1->hide();
    ui->Label2->hide();
    connect(ui->Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
}

TForm7::~TForm7() = default;

void TForm7::Button1Click() {
    draw(TwoPlayerKind::Clubs);
}

void TForm7::Button2Click() {
    draw(TwoPlayerKind::NationalTeams);
}

void TForm7::draw(TwoPlayerKind kind) {
    const Result<TwoTeams> teams = drawTwoTeams(kind, randomGenerator());
    if (!teams.ok()) {
        messages().error(teams.error());
        return;
    }
    // The labels size themselves to the names.
    ui->Label1->setText(fromCp1251(teams.value().first));
    ui->Label2->setText(fromCp1251(teams.value().second));
    for (QLabel *label : {ui->Label1, ui->Label2}) {
        label->adjustSize();
        label->show();
    }
}
