#include "Unit1.h"

#include "Cp1251.h"
#include "Draw.h"
#include "ElidedText.h"
#include "FinalTable.h"
#include "GiftAward.h"
#include "Icons.h"
#include "NameOrder.h"
#include "Pool.h"
#include "Schedule.h"
#include "Seams.h"
#include "Settings.h"
#include "Tournament.h"
#include "TournamentSheet.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit1.h"

#include <QCloseEvent>
#include <QCollator>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStringListModel>
#include <QUrl>
#include <algorithm>

const QString TForm1::kHomePage = QStringLiteral("https://korvana.github.io");
const QString TForm1::kCredits =
    QStringLiteral("Korvana 3.9 beta — жеребьёвка и таблица домашнего турнира на троих. Сайт: korvana.github.io");

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()), m_newSpreadsheet(makeTournamentSpreadsheet) {
    ui->setupUi(this);
    setWindowFlags(fixedWindowFlags() | Qt::WindowMinimizeButtonHint);
    setClientHeight(kClientHeight);
    // Team and player names come from files and are shown as they stand, never as markup.
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }

    for (QLabel *fixture : {ui->Label6, ui->Label7, ui->Label8, ui->Label10, ui->Label11, ui->Label14, ui->Label15}) {
        fixture->hide();
    }
    ui->BitBtn1->setIcon(printerIcon());

    m_poolModel = new QStringListModel(this);
    for (QComboBox *box : teamDropDowns()) {
        box->setModel(m_poolModel);
    }

    connect(ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(ui->ComboBox1, &QComboBox::currentTextChanged, this, &TForm1::ComboBox1Change);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    connect(ui->CheckBox4, &QCheckBox::toggled, this, &TForm1::CheckBox4Click);
    // The players' own choices go straight into their team fields.
    connect(ui->ComboBox5, &QComboBox::currentTextChanged, ui->Edit1, &QLineEdit::setText);
    connect(ui->ComboBox6, &QComboBox::currentTextChanged, ui->Edit2, &QLineEdit::setText);
    connect(ui->ComboBox7, &QComboBox::currentTextChanged, ui->Edit3, &QLineEdit::setText);
    connect(ui->N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(ui->N3, &QAction::triggered, this, &TForm1::N3Click);
    ui->Label12->installEventFilter(this);
    // Ctrl+X is the exit shortcut everywhere in the window, also where an edit
    // box would take it as Cut.
    for (QLineEdit *edit : findChildren<QLineEdit *>()) {
        edit->installEventFilter(this);
    }
    connect(ui->N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(ui->N6, &QAction::triggered, this, &TForm1::N6Click);
    connect(ui->N8, &QAction::triggered, this, &TForm1::N8Click);
    connect(ui->N9, &QAction::triggered, this, &TForm1::N9Click);
    connect(ui->N10, &QAction::triggered, this, &TForm1::N10Click);
    connect(ui->N11, &QAction::triggered, this, &TForm1::N11Click);
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
    if (!pressButtonForEnter(this, event)) {
        QMainWindow::keyPressEvent(event);
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui->Label12 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label12Click();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_X)) {
        // Not taken by the edit box, so the menu's shortcut fires.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
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
    // The drop-downs list the teams in Russian alphabetical order, ignoring case.
    m_poolModel->setStringList(sortedByName(fromCp1251(*outcome.poolItems)));
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
    showLastTournament();
    if (!outcome.players) {
        return;
    }
    setPlayerNames(playerNamesOf(*outcome.players));

    if (outcome.logAllTeams) {
        ui->CheckBox4->setChecked(true);
    }
}

void TForm1::Button2Click() {
    if (m_state.CurrentPoolFile.isEmpty()) {
        messages().information(kNoListMessage);
        return;
    }
    const bool scheduleWasEnabled = ui->Button1->isEnabled();
    ui->Button1->setEnabled(true);
    ui->Button2->setEnabled(false);

    QLineEdit *const fields[] = {ui->Edit1, ui->Edit2, ui->Edit3};
    QComboBox *const excludes[] = {ui->ComboBox2, ui->ComboBox3, ui->ComboBox4};
    QLabel *const previous[] = {ui->Label22, ui->Label23, ui->Label24};
    FillRequest request;
    request.poolFile = m_state.CurrentPoolFile;
    request.skipPrevious = ui->CheckBox3->isChecked();
    request.skipAllUsed = ui->CheckBox4->isChecked();
    const QStringList names = playerNames();
    for (int k = 0; k < kPlayers; ++k) {
        request.players[k] = names[k];
        // A text that Windows-1251 cannot hold is no team of the files.
        request.teams[k] = toCp1251(fields[k]->text());
        request.exclude[k] = toCp1251(excludes[k]->currentText());
        request.previous[k] = toCp1251(fullText(previous[k]));
    }

    const Result<FillOutcome> fill = fillTeams(request, randomGenerator());
    if (!fill.ok()) {
        messages().error(fill.error());
        return;
    }
    const FillOutcome &outcome = fill.value();
    for (int k = 0; k < kPlayers; ++k) {
        // A field that the fill left alone keeps its text.
        if (outcome.teams[k]) {
            fields[k]->setText(fromCp1251(*outcome.teams[k]));
        }
    }
    switch (outcome.end) {
    case FillOutcome::End::Exhausted:
        messages().information(outcome.message);
        endProgram(0);
        return;
    case FillOutcome::End::NoCandidate:
        // Nothing was drawn: the user can change the exclusions or the list and fill again.
        messages().information(outcome.message);
        ui->Button1->setEnabled(scheduleWasEnabled);
        ui->Button2->setEnabled(true);
        return;
    case FillOutcome::End::Filled:
        break;
    }
    for (QLineEdit *field : fields) {
        if (field->text() == kCongratulatedTeam) {
            emit congratulationRequested();
            break;
        }
    }
}

void TForm1::Button1Click() {
    const PerPlayer<QString> teams = {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text()};
    // A team that the log could not hold, an empty team or two equal teams stop
    // the schedule before anything is written.
    const Result<PerPlayer<QByteArray>> logged = teamsForFile(teams, DataFile::UsedTeamsLog);
    const Result<Fixtures> round =
        logged.ok() ? drawFirstRound(teams, randomGenerator()) : Result<Fixtures>(logged.status());
    if (!round.ok()) {
        showFirstRound(nullptr);
        messages().error(round.error());
        return;
    }

    ui->Button2->setEnabled(false);
    ui->Button1->setEnabled(false);
    showFirstRound(&round.value());

    // A log that has gone missing is made anew, after telling the user.
    if (!QFileInfo::exists(DataFile::UsedTeamsLog)) {
        messages().information(kLogCreatedMessage);
    }
    const Status appended = appendToUsedTeamsLog(logged.value());
    if (!appended.ok()) {
        messages().error(appended.error());
    }
}

void TForm1::showFirstRound(const Fixtures *round) {
    // Without a round, no earlier round stays on show to be printed as this one.
    ui->BitBtn1->setEnabled(round != nullptr);
    ui->Label6->setVisible(round != nullptr);
    QLabel *const lines[kFirstRoundMatches][2] = {
        {ui->Label7, ui->Label8}, {ui->Label10, ui->Label11}, {ui->Label14, ui->Label15}};
    for (int line = 0; line < kFirstRoundMatches; ++line) {
        for (int side = 0; side < 2; ++side) {
            setElidedText(lines[line][side], round ? round->matches[line][side] : QString());
            lines[line][side]->setVisible(round != nullptr);
        }
    }
}

Tournament TForm1::tournamentOnShow() const {
    const QStringList names = playerNames();
    Tournament tournament;
    tournament.players = {names.value(0), names.value(1), names.value(2)};
    tournament.teams = {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text()};
    tournament.firstRound = {{{fullText(ui->Label7), fullText(ui->Label8)},
                              {fullText(ui->Label10), fullText(ui->Label11)},
                              {fullText(ui->Label14), fullText(ui->Label15)}}};
    return tournament;
}

void TForm1::BitBtn1Click() {
    // From now on Enter no longer starts a fill.
    ui->Button2->setDefault(false);

    const PerPlayer<QString> teams = {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text()};
    if (const Status recorded = recordLastTournament(teams, QDate::currentDate()); !recorded.ok()) {
        messages().error(recorded.error());
        return;
    }
    const Result<Lines> gift = readLines(DataFile::Gift);
    if (!gift.ok()) {
        messages().error(gift.error());
        return;
    }

    TournamentSheet sheet{tournamentOnShow(), fromCp1251(lineAt(gift.value(), 0)),
                          lastTournamentDate(QDate::currentDate())};
    m_lastSheet = sheet;
    const std::unique_ptr<Spreadsheet> spreadsheet = m_newSpreadsheet();
    const Result<SheetExport> exported = exportTournamentSheet(*spreadsheet, sheet);
    m_lastSheetFile = exported.ok() ? exported.value().file : QString();
    // The sheet is only the printout: a sheet that cannot be written is told,
    // and the tournament goes on with its own preview to print from.
    if (!exported.ok()) {
        messages().error(exported.error() + QStringLiteral("\nТурнир продолжается: лист турнира откроется в окне "
                                                           "программы, его можно напечатать или сохранить оттуда."));
    } else {
        for (const QString &notice : exported.value().notices) {
            messages().information(notice);
        }
    }

    emit resultTableRequested(inResultTableOrder(sheet));
    // Without a spreadsheet application the program shows and prints the sheet itself.
    if (!exported.ok() || !exported.value().desktopOpened) {
        emit sheetPreviewRequested(sheet);
    }
    awardGifts();
}

void TForm1::awardGifts() {
    const Result<std::optional<GiftDraw>> drawn = drawGifts(randomGenerator());
    if (!drawn.ok()) {
        messages().error(drawn.error());
        return;
    }
    if (!drawn.value()) {
        return;
    }
    const GiftDraw &gifts = *drawn.value();
    const std::pair<QLabel *, const QString *> pictures[] = {
        {ui->Image1, &gifts.thirdPlace}, {ui->Image3, &gifts.secondPlace}, {ui->Image4, &gifts.scorerPrize}};
    for (const auto &[image, path] : pictures) {
        QPixmap picture;
        if (!picture.load(*path)) {
            messages().error(fileErrorText(*path, QStringLiteral("Не удалось загрузить картинку")));
            return;
        }
        image->setPixmap(picture);
    }
    if (const Status recorded = recordPrize(gifts.scorerPrize); !recorded.ok()) {
        messages().error(recorded.error());
        return;
    }
    messages().information(kGiftsDrawnMessage);
    setClientHeight(kGiftPanelHeight);
}

void TForm1::setSpreadsheetFactory(SpreadsheetFactory factory) {
    m_newSpreadsheet = std::move(factory);
}

void TForm1::ComboBox1Change() {
    if (ui->ComboBox1->currentText() == QLatin1String("2")) {
        // The main window always serves three players; two get a window of their own.
        ui->ComboBox1->setCurrentIndex(1);
        emit twoPlayerDrawRequested();
    }
}

void TForm1::CheckBox1Click() {
    const bool drawn = ui->CheckBox1->isChecked();
    for (QLineEdit *field : {ui->Edit1, ui->Edit2, ui->Edit3}) {
        field->setEnabled(!drawn);
    }
    ui->Button2->setEnabled(drawn);
    ui->CheckBox2->setEnabled(drawn);
    if (!drawn) {
        ui->CheckBox2->setChecked(false);
        for (QComboBox *box : {ui->ComboBox2, ui->ComboBox3, ui->ComboBox4}) {
            box->setCurrentIndex(-1);
        }
    }
}

void TForm1::CheckBox2Click() {
    const bool on = ui->CheckBox2->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{ui->Label5, ui->Label19, ui->Label20, ui->ComboBox2,
                                                             ui->ComboBox3, ui->ComboBox4}) {
        control->setEnabled(on);
    }
    if (!on) {
        for (QComboBox *box : {ui->ComboBox2, ui->ComboBox3, ui->ComboBox4}) {
            box->setCurrentIndex(-1);
        }
    }
}

void TForm1::Label12Click() {
    // A browser that fails to come up is told through desktopCouldNotOpen.
    if (!openWithDesktop(QUrl(kHomePage))) {
        desktopCouldNotOpen(QUrl(kHomePage));
    }
}

void TForm1::desktopCouldNotOpen(const QUrl &url) {
    if (m_lastSheet && url.isLocalFile() && !m_lastSheetFile.isEmpty() &&
        QFileInfo(url.toLocalFile()) == QFileInfo(m_lastSheetFile)) {
        messages().information(QStringLiteral("Программа для электронных таблиц не открыла лист турнира %1.\n"
                                              "Лист показан в окне программы: его можно напечатать или сохранить "
                                              "оттуда.")
                                   .arg(m_lastSheetFile));
        emit sheetPreviewRequested(*m_lastSheet);
        return;
    }
    messages().error(QStringLiteral("Не удалось открыть %1: на этом компьютере нет программы, которая его открывает.")
                         .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()));
}

void TForm1::N2Click() {
    messages().information(kCredits);
}

void TForm1::N3Click() {
    endProgram(0);
}

void TForm1::CheckBox4Click() {
    if (ui->CheckBox4->isChecked()) {
        ui->CheckBox3->setChecked(false);
    }
}

QStringList TForm1::playerNames() const {
    return {fullText(ui->Label16), fullText(ui->Label17), fullText(ui->Label18)};
}

void TForm1::setPlayerNames(const QStringList &names) {
    QLabel *const labels[] = {ui->Label16, ui->Label17, ui->Label18};
    for (int k = 0; k < kPlayers; ++k) {
        setElidedText(labels[k], names.value(k));
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

void TForm1::N10Click() {
    emit historyRequested();
}

void TForm1::N11Click() {
    emit backupsRequested();
}

void TForm1::rereadDataFiles() {
    if (const Result<Settings> settings = readSettings(DataFile::Settings); settings.ok()) {
        setPlayerNames(playerNamesOf(settings.value().players));
    }
    if (const Result<Lines> last = readLines(DataFile::LastTournament); last.ok()) {
        for (std::size_t k = 0; k < m_state.LastTournament.size(); ++k) {
            m_state.LastTournament[k] = lineAt(last.value(), static_cast<qsizetype>(k));
        }
        showLastTournament();
    }
}

// "Прошлый турнир:": its three teams and its date.
void TForm1::showLastTournament() {
    QLabel *const teams[] = {ui->Label22, ui->Label23, ui->Label24};
    for (int k = 0; k < kPlayers; ++k) {
        setElidedText(teams[k], fromCp1251(m_state.LastTournament[static_cast<std::size_t>(k)]));
    }
    ui->Label29->setText(fromCp1251(m_state.LastTournament[kPlayers]));
}

// The sheet of the last tournament. After a restart only "last.txt" is left of
// it: its teams with today's player names, the first round empty for
// handwriting, and no prize picture, since "gift.txt" may by then name the prize
// that this tournament gave out rather than the one its sheet showed.
void TForm1::N9Click() {
    if (m_lastSheet) {
        emit sheetPreviewRequested(*m_lastSheet);
        return;
    }
    const QStringList names = playerNames();
    const Result<std::optional<RecordedTournament>> last =
        readLastTournament({names.value(0), names.value(1), names.value(2)});
    if (!last.ok()) {
        messages().error(last.error());
        return;
    }
    if (!last.value()) {
        messages().information(QStringLiteral("Листа турнира ещё нет: турнир не записан. Он появится после "
                                              "«Полная таблица и печать»."));
        return;
    }
    emit sheetPreviewRequested(TournamentSheet{last.value()->tournament, {}, last.value()->date});
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
