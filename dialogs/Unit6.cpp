#include "Unit6.h"

#include "DataFiles.h"
#include "Icons.h"
#include "Seams.h"
#include "SettingsFile.h"
#include "Tournament.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit6.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

TForm6::TForm6(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TForm6>()) {
    ui->setupUi(this);
    setWindowFlags(fixedWindowFlags());
    setFixedSize(size());
    ui->BitBtn1->setIcon(checkMarkIcon());

    // The kind buttons share the window as their parent, so Qt keeps at most one
    // of them selected; none is selected until the file or the user picks one.
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TForm6::CheckBox1Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TForm6::BitBtn1Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TForm6::Button5Click);
}

TForm6::~TForm6() = default;

void TForm6::setLogAllTeamsSource(std::function<bool()> source) {
    m_logAllTeams = std::move(source);
}

void TForm6::openWith(const QStringList &players) {
    QLineEdit *const edits[] = {ui->Edit1, ui->Edit2, ui->Edit3};
    for (int k = 0; k < kPlayers; ++k) {
        edits[k]->setText(players.value(k));
    }
    bringToFront(this);
}

std::array<QRadioButton *, 3> TForm6::kindButtons() const {
    return {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3};
}

int TForm6::selectedKind() const {
    const std::array<QRadioButton *, 3> buttons = kindButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return kNoKind;
}

bool TForm6::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate && isVisible()) {
        if (m_leftProgram) {
            m_leftProgram = false;
        } else {
            FormActivate();
        }
    } else if (event->type() == QEvent::WindowDeactivate && isVisible()) {
        // A box that a handler raises over the window is modal; it is not
        // another window of the program, and neither is another application.
        const QWidget *now = QApplication::activeWindow();
        if (now == nullptr || now->isModal()) {
            m_leftProgram = true;
        } else {
            FormDeactivate();
        }
    }
    return QWidget::event(event);
}

void TForm6::hideEvent(QHideEvent *event) {
    m_leftProgram = false;
    QWidget::hideEvent(event);
}

void TForm6::closeEvent(QCloseEvent *event) {
    // Closing saves nothing; the window is only hidden.
    emit mainWindowReleased();
    event->accept();
}

void TForm6::keyPressEvent(QKeyEvent *event) {
    if (!pressButtonForEnter(this, event)) {
        QWidget::keyPressEvent(event);
    }
}

void TForm6::FormActivate() {
    // Every activation shows the file as it is now; typed names are kept.
    const Result<SettingsShown> read = readSettingsShown(DataFile::Settings);
    if (!read.ok()) {
        messages().error(read.error());
        return;
    }
    const SettingsShown &shown = read.value();
    if (shown.kind != kNoKind) {
        kindButtons()[shown.kind]->setChecked(true);
    }
    ui->CheckBox1->setChecked(shown.askAtStart);
    CheckBox1Click();
    ui->CheckBox4->setChecked(shown.randomGifts);
}

void TForm6::FormDeactivate() {
    emit mainWindowReleased();
}

void TForm6::CheckBox1Click() {
    // The kind is asked at start-up while the box is checked, so the buttons
    // only show the kind kept in the file.
    const bool ask = ui->CheckBox1->isChecked();
    for (QRadioButton *button : kindButtons()) {
        button->setEnabled(!ask);
    }
}

void TForm6::BitBtn1Click() {
    SettingsChosen chosen;
    chosen.askAtStart = ui->CheckBox1->isChecked();
    chosen.kind = selectedKind();
    chosen.players = {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text()};
    chosen.randomGifts = ui->CheckBox4->isChecked();
    chosen.logAllTeams = m_logAllTeams && m_logAllTeams();
    const Status saved = saveSettings(DataFile::Settings, chosen);
    if (!saved.ok()) {
        // The window stays open with everything as typed, and the main window
        // stays disabled, so that the user can put it right or close the window.
        messages().error(saved.error());
        return;
    }
    emit namesSaved({chosen.players.begin(), chosen.players.end()});
    emit mainWindowReleased();
    hide();
}

void TForm6::Button5Click() {
    FormDeactivate();
    emit catalogueRequested();
}
