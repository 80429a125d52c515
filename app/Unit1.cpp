#include "Unit1.h"

#include "Text.h"
#include "ui_Unit1.h"

#include <QCloseEvent>
#include <QCollator>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QStringListModel>
#include <algorithm>

namespace {

// The drop-downs list the teams in Russian alphabetical order, ignoring case.
QStringList sortedForDisplay(const Lines &teams) {
    QStringList texts = fromCp1251(teams);
    const QCollator collator = russianCollator();
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        keys.emplace_back(collator.sortKey(texts[i]), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    QStringList sorted;
    sorted.reserve(texts.size());
    for (const auto &key : keys) {
        sorted.append(texts[key.second]);
    }
    return sorted;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setClientHeight(kClientHeight);
    // Team and player names come from files and are shown as they stand, never as markup.
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }

    for (QLabel *fixture : {ui->Label6, ui->Label7, ui->Label8, ui->Label10, ui->Label11, ui->Label14, ui->Label15}) {
        fixture->hide();
    }
    ui->BitBtn1->setIcon(
        QIcon::fromTheme(QStringLiteral("document-print"), style()->standardIcon(QStyle::SP_FileDialogDetailedView)));

    m_poolModel = new QStringListModel(this);
    for (QComboBox *box : teamDropDowns()) {
        box->setModel(m_poolModel);
    }

    connect(ui->CheckBox4, &QCheckBox::toggled, this, &TForm1::CheckBox4Click);
    connect(ui->N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(ui->N6, &QAction::triggered, this, &TForm1::N6Click);
    connect(ui->N8, &QAction::triggered, this, &TForm1::N8Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);

    FormCreate();
}

TForm1::~TForm1() = default;

std::array<QComboBox *, 6> TForm1::teamDropDowns() const {
    return {ui->ComboBox2, ui->ComboBox3, ui->ComboBox4, ui->ComboBox5, ui->ComboBox6, ui->ComboBox7};
}

void TForm1::setClientHeight(int height) {
    centralWidget()->setFixedSize(kClientWidth, height);
    setFixedSize(kClientWidth, menuWidget()->sizeHint().height() + height);
}

void TForm1::closeEvent(QCloseEvent *event) {
    // Closing the main window ends the program, whatever other window is open.
    event->accept();
    QCoreApplication::quit();
}

void TForm1::keyPressEvent(QKeyEvent *event) {
    // As in a dialog, Enter presses the window's default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        for (QPushButton *button : findChildren<QPushButton *>()) {
            if (button->isDefault() && button->isEnabled() && button->isVisible()) {
                button->click();
                return;
            }
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::FormCreate() {
    applyStartup(runStartupSequence(teamChoicePrizePath()));
}

void TForm1::applyStartup(const StartupOutcome &outcome) {
    m_state = outcome.state;
    setWindowTitle(windowTitle() + teamListNames(m_state.CurrentPoolFile).captionSuffix);
    if (!outcome.poolItems) {
        return;
    }
    m_poolModel->setStringList(sortedForDisplay(*outcome.poolItems));
    for (QComboBox *box : teamDropDowns()) {
        box->setCurrentIndex(-1);
    }

    if (outcome.teamChoicePrize) {
        for (QComboBox *box : {ui->ComboBox5, ui->ComboBox6, ui->ComboBox7}) {
            box->setEnabled(true);
        }
    }
    if (!outcome.lastTournamentRead) {
        return;
    }
    ui->Label22->setText(fromCp1251(m_state.LastTournament[0]));
    ui->Label23->setText(fromCp1251(m_state.LastTournament[1]));
    ui->Label24->setText(fromCp1251(m_state.LastTournament[2]));
    ui->Label29->setText(fromCp1251(m_state.LastTournament[3]));

    if (!outcome.players) {
        return;
    }
    ui->Label16->setText(fromCp1251((*outcome.players)[0]));
    ui->Label17->setText(fromCp1251((*outcome.players)[1]));
    ui->Label18->setText(fromCp1251((*outcome.players)[2]));

    if (outcome.logAllTeams) {
        ui->CheckBox4->setChecked(true);
    }
}

void TForm1::CheckBox4Click() {
    if (ui->CheckBox4->isChecked()) {
        ui->CheckBox3->setChecked(false);
    }
}

QStringList TForm1::playerNames() const {
    return {ui->Label16->text(), ui->Label17->text(), ui->Label18->text()};
}

void TForm1::setPlayerNames(const QStringList &names) {
    QLabel *const labels[] = {ui->Label16, ui->Label17, ui->Label18};
    for (int k = 0; k < 3; ++k) {
        labels[k]->setText(names.value(k));
    }
}

bool TForm1::logAllTeamsChecked() const {
    return ui->CheckBox4->isChecked();
}

void TForm1::N5Click() {
    emit teamListsRequested();
}

void TForm1::N6Click() {
    emit statisticsRequested(playerNames());
}

void TForm1::N8Click() {
    // The main window takes no input while the settings window is open; the
    // settings window gives it back when it is confirmed, closed or left.
    const QStringList names = playerNames();
    setEnabled(false);
    emit settingsRequested(names);
}

void TForm1::Button3Click() {
    emit usedTeamsRequested();
}
