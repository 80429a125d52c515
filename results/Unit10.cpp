#include "Unit10.h"

#include "BookReader.h"
#include "CsvWriter.h"
#include "Elide.h"
#include "ElidedText.h"
#include "HistoryChart.h"
#include "HistoryText.h"
#include "Seams.h"
#include "StatsDatabase.h"
#include "TournamentBook.h"
#include "WaitCursor.h"
#include "WidgetMessages.h"
#include "ui_Unit10.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

namespace {

// A player with his team, as the lists show them.
QString playerWithTeam(const QString &player, const QString &team) {
    return team.isEmpty() ? player : QStringLiteral("%1 («%2»)").arg(player, team);
}

// The same, each name cut for showing.
QString shownPlayerWithTeam(const QString &player, const QString &team) {
    return playerWithTeam(elided(player), elided(team));
}

// The file a chosen name stands for, so that two spellings of one file compare equal.
QString samePathKey(const QString &file) {
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) {
        return canonical;
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

} // namespace

// The tournaments of the book, newest first: the date, then the three places,
// each "player («team») — points, goals".
class TournamentListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTournaments(std::vector<BookTournament> tournaments) {
        beginResetModel();
        m_tournaments = std::move(tournaments);
        endResetModel();
    }
    const BookTournament *tournament(int row) const {
        return row >= 0 && row < rowCount() ? &m_tournaments[static_cast<std::size_t>(row)] : nullptr;
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_tournaments.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex &index, int role) const override {
        const BookTournament *const shown = tournament(index.row());
        if (shown == nullptr || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
            return {};
        }
        if (index.column() == 0) {
            return role == Qt::DisplayRole ? QVariant(shownTime(shown->written)) : QVariant();
        }
        // Every row that took this place: players level on points and goal
        // difference share it.
        // The cell shows each name cut; its tooltip, only when one was, the whole names.
        const bool tip = role == Qt::ToolTipRole;
        QStringList holders;
        bool cut = false;
        for (const BookRow &row : shown->rows) {
            if (row.place == index.column()) {
                const QString shownHolder = shownPlayerWithTeam(row.player, row.team);
                const QString whole = playerWithTeam(row.player, row.team);
                cut = cut || shownHolder.size() != whole.size();
                holders.append(QStringLiteral("%1 — %2 очк., %3")
                                   .arg(tip ? whole : shownHolder)
                                   .arg(row.points)
                                   .arg(goals(row.scored, row.conceded)));
            }
        }
        if (holders.isEmpty() || (tip && !cut)) {
            return {};
        }
        return holders.join(QStringLiteral("; "));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Vertical) {
            return section + 1;
        }
        static const QStringList titles{QStringLiteral("Дата"), QStringLiteral("Первое место"),
                                        QStringLiteral("Второе место"), QStringLiteral("Третье место")};
        return titles.value(section);
    }

private:
    std::vector<BookTournament> m_tournaments;
};

TForm10::TForm10(QWidget *parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm10>()) {
    ui->setupUi(this);
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }
    setUpTournamentTables();
    setUpPlayerTables();
    connectControls();
}

void TForm10::setUpTournamentTables() {
    m_tournaments = new TournamentListModel(this);
    ui->TournamentList->setModel(m_tournaments);
    fitRowsToFont(ui->TournamentList);
    ui->TournamentList->setColumnWidth(0, 110);
    for (int column = 1; column < 4; ++column) {
        ui->TournamentList->setColumnWidth(column, 200);
    }
    ui->TournamentList->horizontalHeader()->setStretchLastSection(true);

    ui->CrossTable->setRowCount(3);
    ui->CrossTable->setColumnCount(12);
    ui->CrossTable->setHorizontalHeaderLabels(
        {QString(), QString(), QString(), QStringLiteral("Побед"), QStringLiteral("Ничьих"),
         QStringLiteral("Поражений"), QStringLiteral("Забито"), QStringLiteral("Пропущено"), QStringLiteral("Разница"),
         QStringLiteral("Очки"), QStringLiteral("Игрок"), QStringLiteral("Место")});
    fitRowsToFont(ui->CrossTable);
    for (int column = 0; column < 12; ++column) {
        ui->CrossTable->setColumnWidth(column, column < 3 ? 88 : 60);
    }
}

void TForm10::setUpPlayerTables() {
    ui->HeadToHeadMatches->setColumnCount(4);
    ui->HeadToHeadMatches->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Команда"),
                                                      QStringLiteral("Счёт"), QStringLiteral("Команда соперника")});
    ui->HeadToHeadMatches->horizontalHeader()->setStretchLastSection(true);
    ui->HeadToHeadMatches->setColumnWidth(0, 110);
    ui->HeadToHeadMatches->setColumnWidth(1, 160);
    ui->TeamTable->setColumnCount(8);
    ui->TeamTable->setHorizontalHeaderLabels({QStringLiteral("Команда"), QStringLiteral("Турниров"),
                                              QStringLiteral("Побед"), QStringLiteral("Ничьих"),
                                              QStringLiteral("Поражений"), QStringLiteral("Забито"),
                                              QStringLiteral("Пропущено"), QStringLiteral("Кто играл")});
    ui->TeamTable->setColumnWidth(0, 140);
    for (int column = 1; column < 7; ++column) {
        ui->TeamTable->setColumnWidth(column, 72);
    }
    ui->TeamTable->horizontalHeader()->setStretchLastSection(true);
    for (QTableWidget *table : {ui->HeadToHeadMatches, ui->TeamTable}) {
        table->verticalHeader()->setVisible(false);
        fitRowsToFont(table);
    }
}

void TForm10::connectControls() {
    connect(ui->TournamentList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TForm10::showTournament);
    connect(ui->FirstPlayer, &QComboBox::currentIndexChanged, this, &TForm10::showHeadToHead);
    connect(ui->SecondPlayer, &QComboBox::currentIndexChanged, this, &TForm10::showHeadToHead);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm10::pageChanged);
    connect(ui->UndoButton, &QPushButton::clicked, this, &TForm10::undoClick);
    connect(ui->ExportButton, &QPushButton::clicked, this, &TForm10::exportClick);
    connect(ui->CloseButton, &QPushButton::clicked, this, &QWidget::hide);
}

// The window reads through a connection of its own, opened at the first reading
// that finds none: a file that another program held when the window was made is
// tried again at the next reading.
Status TForm10::openConnection() {
    if (m_connection) {
        return {};
    }
    Result<std::unique_ptr<StatsConnection>> opened = [] {
        const WaitCursor busy;
        return StatsConnection::open(StatsDb::FileName);
    }();
    if (!opened.ok()) {
        return Failure{
            opened.error() +
            QStringLiteral("\nИстория будет прочитана снова, когда вы откроете это окно или выберете вкладку.")};
    }
    m_connection = std::move(opened).value();
    return {};
}

TForm10::~TForm10() {
    ui->TournamentList->setModel(nullptr);
}

void TForm10::setFileChooser(FileChooser chooser) {
    m_chooseFile = std::move(chooser);
}

void TForm10::openHistory() {
    const Status read = readAll();
    bringToFront(this);
    if (!read.ok()) {
        messages().error(QStringLiteral("История турниров не прочитана.\n%1").arg(read.error()));
    }
}

void TForm10::reread() {
    // A hidden window reads when it is opened again.
    if (!isVisible()) {
        return;
    }
    const Status read = readAll();
    if (!read.ok()) {
        messages().error(QStringLiteral("История турниров не прочитана.\n%1").arg(read.error()));
    }
}

// The book changed or the window opens: the tab in view is read now, the others
// when they are shown, so that opening reads only what the user sees.
Status TForm10::readAll() {
    m_listStale = m_playersStale = m_teamsStale = m_chartStale = true;
    return readCurrentPage();
}

Status TForm10::readCurrentPage() {
    const QWidget *const page = ui->PageControl1->currentWidget();
    if (const Status opened = openConnection(); !opened.ok()) {
        showUnread(opened.error());
        return opened;
    }
    const struct {
        const QWidget *page;
        bool *stale;
        Status (TForm10::*read)();
    } readings[] = {{ui->TournamentsPage, &m_listStale, &TForm10::readTournamentList},
                    {ui->HeadToHeadPage, &m_playersStale, &TForm10::readPlayerChoices},
                    {ui->TeamsPage, &m_teamsStale, &TForm10::readTeamTable}};
    for (const auto &reading : readings) {
        if (reading.page == page && *reading.stale) {
            const WaitCursor busy;
            const Status read = (this->*reading.read)();
            *reading.stale = !read.ok();
            return read;
        }
    }
    if (page == ui->ChartPage) {
        showChart();
    }
    return {};
}

void TForm10::pageChanged() {
    const Status read = readCurrentPage();
    if (!read.ok()) {
        messages().error(QStringLiteral("История турниров не прочитана.\n%1").arg(read.error()));
    }
}

// What the window shows while the book could not be read: no tournaments, and
// the reason where the cross table would be, never "no tournament at all".
void TForm10::showUnread(const QString &reason) {
    m_tournaments->setTournaments({});
    showTournament({});
    ui->CrossTitle->setText(QStringLiteral("История турниров не прочитана. %1").arg(reason));
}

Status TForm10::readTournamentList() {
    Result<std::vector<BookTournament>> tournaments = readTournaments(*m_connection);
    if (!tournaments.ok()) {
        showUnread(tournaments.error());
        return tournaments.status();
    }
    m_tournaments->setTournaments(std::move(tournaments).value());
    if (m_tournaments->rowCount() > 0) {
        ui->TournamentList->setCurrentIndex(m_tournaments->index(0, 0));
    } else {
        showTournament({});
    }
    return {};
}

// The players of the head-to-head's two lists; the two choices are kept when
// the players are still there.
Status TForm10::readPlayerChoices() {
    const Result<QStringList> players = readBookPlayers(*m_connection);
    if (!players.ok()) {
        return players.status();
    }
    {
        const QString first = ui->FirstPlayer->currentData().toString();
        const QString second = ui->SecondPlayer->currentData().toString();
        const QSignalBlocker blockFirst(ui->FirstPlayer);
        const QSignalBlocker blockSecond(ui->SecondPlayer);
        ui->FirstPlayer->clear();
        ui->SecondPlayer->clear();
        // Each item shows the name cut, and holds it whole.
        for (const QString &player : players.value()) {
            ui->FirstPlayer->addItem(elided(player), player);
            ui->SecondPlayer->addItem(elided(player), player);
        }
        const int firstAt = players.value().indexOf(first);
        const int secondAt = players.value().indexOf(second);
        ui->FirstPlayer->setCurrentIndex(firstAt >= 0 ? firstAt : 0);
        ui->SecondPlayer->setCurrentIndex(secondAt >= 0 ? secondAt : std::min<int>(1, players.value().size() - 1));
    }
    showHeadToHead();
    return {};
}

Status TForm10::readTeamTable() {
    const Result<std::vector<TeamRecord>> teams = readTeamRecords(*m_connection);
    if (!teams.ok()) {
        return teams.status();
    }
    ui->TeamTable->setRowCount(static_cast<int>(teams.value().size()));
    int row = 0;
    for (const TeamRecord &team : teams.value()) {
        QStringList who;
        for (const auto &[player, times] : team.players) {
            who.append(QStringLiteral("%1 (%2)").arg(elided(player)).arg(times));
        }
        const QString cells[] = {team.team,
                                 QString::number(team.tournaments),
                                 QString::number(team.wins),
                                 QString::number(team.draws),
                                 QString::number(team.losses),
                                 QString::number(team.goalsFor),
                                 QString::number(team.goalsAgainst),
                                 who.join(QStringLiteral(", "))};
        for (int column = 0; column < 8; ++column) {
            setItem(ui->TeamTable, row, column, cells[column]);
        }
        ++row;
    }
    return {};
}

void TForm10::showTournament(const QModelIndex &current) {
    const BookTournament *const shown = m_tournaments->tournament(current.row());
    QTableWidget *const table = ui->CrossTable;
    table->clearContents();
    if (shown == nullptr) {
        ui->CrossTitle->setText(QStringLiteral("В истории нет ни одного турнира."));
        for (int k = 0; k < 3; ++k) {
            table->setHorizontalHeaderItem(k, new QTableWidgetItem(QString()));
            table->setVerticalHeaderItem(k, new QTableWidgetItem(QString()));
        }
        return;
    }
    Result<BookCrossTable> cross = [this, shown] {
        const WaitCursor busy;
        return readCrossTable(*m_connection, shown->id);
    }();
    if (!cross.ok()) {
        ui->CrossTitle->setText(cross.error());
        return;
    }
    ui->CrossTitle->setText(QStringLiteral("Турнир %1").arg(shownTime(shown->written)));
    const BookCrossTable &t = cross.value();
    for (int r = 0; r < 3; ++r) {
        const BookRow &row = t.tournament.rows[static_cast<std::size_t>(r)];
        // A tournament written without the teams is headed by its players.
        const QString title = row.team.isEmpty() ? row.player : row.team;
        table->setHorizontalHeaderItem(r, elidedItem(title));
        table->setVerticalHeaderItem(r, elidedItem(title));
        for (int c = 0; c < 3; ++c) {
            const auto &cell = t.cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            setItem(table, r, c, cell ? QStringLiteral("%1 : %2").arg(cell->first).arg(cell->second) : QString());
            if (r == c) {
                table->item(r, c)->setBackground(palette().mid());
            }
        }
        const QString figures[] = {QString::number(row.wins),     QString::number(row.draws),
                                   QString::number(row.losses),   QString::number(row.scored),
                                   QString::number(row.conceded), QString::number(row.difference),
                                   QString::number(row.points),   row.player,
                                   QString::number(row.place)};
        for (int k = 0; k < 9; ++k) {
            setItem(table, r, 3 + k, figures[k]);
        }
    }
}

void TForm10::showHeadToHead() {
    ui->HeadToHeadMatches->setRowCount(0);
    const QString first = ui->FirstPlayer->currentData().toString();
    const QString second = ui->SecondPlayer->currentData().toString();
    if (!m_connection || ui->FirstPlayer->currentIndex() < 0 || ui->SecondPlayer->currentIndex() < 0) {
        ui->HeadToHeadSummary->setText(QString());
        return;
    }
    if (first == second) {
        ui->HeadToHeadSummary->setText(QStringLiteral("Выберите двух разных игроков."));
        return;
    }
    const Result<HeadToHead> read = [&] {
        const WaitCursor busy;
        return readHeadToHead(*m_connection, first, second);
    }();
    if (!read.ok()) {
        ui->HeadToHeadSummary->setText(read.error());
        return;
    }
    const HeadToHead &h = read.value();
    ui->HeadToHeadSummary->setText(
        h.played == 0 ? QStringLiteral("%1 и %2 ещё не встречались.").arg(elided(first), elided(second))
                      : QStringLiteral("%1 против %2: матчей %3, побед %4, ничьих %5, поражений %6, мячи %7")
                            .arg(elided(first), elided(second))
                            .arg(h.played)
                            .arg(h.wins)
                            .arg(h.draws)
                            .arg(h.losses)
                            .arg(goals(h.goalsFor, h.goalsAgainst)));
    ui->HeadToHeadMatches->setRowCount(static_cast<int>(h.matches.size()));
    // Newest first, as the tournaments are listed.
    int row = 0;
    for (auto match = h.matches.rbegin(); match != h.matches.rend(); ++match, ++row) {
        setItem(ui->HeadToHeadMatches, row, 0, shownTime(match->written));
        setItem(ui->HeadToHeadMatches, row, 1, match->team);
        setItem(ui->HeadToHeadMatches, row, 2, QStringLiteral("%1 : %2").arg(match->goalsFor).arg(match->goalsAgainst));
        setItem(ui->HeadToHeadMatches, row, 3, match->otherTeam);
    }
}

void TForm10::showChart() {
    if (!m_connection || !m_chartStale) {
        return;
    }
    const WaitCursor busy;
    const Result<PointsProgress> progress = readPointsProgress(*m_connection);
    if (!progress.ok()) {
        messages().error(QStringLiteral("Очки по турнирам не прочитаны.\n%1").arg(progress.error()));
        return;
    }
    if (m_chart == nullptr) {
        m_chart = makePointsChart(ui->ChartPage);
        ui->ChartLayout->addWidget(m_chart);
    }
    showPointsProgress(m_chart, progress.value());
    m_chartStale = false;
}

void TForm10::undoClick() {
    if (const Status opened = openConnection(); !opened.ok()) {
        messages().error(QStringLiteral("Турнир не отменён.\n%1").arg(opened.error()));
        return;
    }
    const Result<NewestTournament> newest = newestTournament(*m_connection);
    if (!newest.ok()) {
        messages().error(newest.error());
        return;
    }
    const NewestTournament &t = newest.value();
    const QString when = t.written.isValid() ? t.written.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                             : QStringLiteral("(дата не записана)");
    if (messages().askYesNo(QStringLiteral("Отменить последний турнир?\n\n%1: %2, %3, %4\n\nЕго результаты будут "
                                           "вычтены из статистики, а сам турнир удалён из истории.")
                                .arg(when, t.players[0], t.players[1], t.players[2])) != Messages::Answer::Yes) {
        return;
    }
    Status undone;
    {
        const WaitCursor busy;
        // The tournament named in the question, not whatever is newest by now.
        undone = undoNewestTournament(*m_connection, t.id);
    }
    // A refused undo changed nothing in the file, but another program may have:
    // the window shows the book as it is now, and one box says why the undo was
    // refused (a reading that fails too shows in the window, not in a second box).
    if (!undone.ok()) {
        messages().error(undone.error());
        [[maybe_unused]] const Status read = readAll();
        return;
    }
    emit tournamentUndone();
    reread();
}

void TForm10::exportClick() {
    if (const Status opened = openConnection(); !opened.ok()) {
        messages().error(QStringLiteral("Ничего не выгружено.\n%1").arg(opened.error()));
        return;
    }
    struct Target {
        QString caption;
        QString suggested;
        QString file;
    };
    std::array<Target, 3> targets{{
        {QStringLiteral("Сохранить таблицу статистики"), QStringLiteral("Статистика.csv"), {}},
        {QStringLiteral("Сохранить турниры"), QStringLiteral("Турниры.csv"), {}},
        {QStringLiteral("Сохранить матчи турниров"), QStringLiteral("Матчи.csv"), {}},
    }};
    // Every file is chosen before anything is written: a cancel writes nothing.
    for (Target &target : targets) {
        target.file = m_chooseFile ? m_chooseFile(target.caption, target.suggested) : [&] {
            QFileDialog dialog(this, target.caption, QDir::home().filePath(target.suggested),
                               QStringLiteral("Таблицы CSV (*.csv)"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(QStringLiteral("csv"));
            return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
        }();
        if (target.file.isEmpty()) {
            return;
        }
        // Each table needs a file of its own: one name for two would leave only
        // the last table written.
        const QString chosen = samePathKey(target.file);
        for (const Target &earlier : targets) {
            if (&earlier != &target && !earlier.file.isEmpty() && samePathKey(earlier.file) == chosen) {
                messages().error(QStringLiteral("Файл %1 уже выбран для другой таблицы этой выгрузки, а каждой таблице "
                                                "нужен свой файл. Ничего не выгружено.")
                                     .arg(QDir::toNativeSeparators(QFileInfo(target.file).absoluteFilePath())));
                return;
            }
        }
    }
    Result<ExportTables> tables = [this] {
        const WaitCursor busy;
        return readExportTables(*m_connection);
    }();
    if (!tables.ok()) {
        messages().error(QStringLiteral("Ничего не выгружено.\n%1").arg(tables.error()));
        return;
    }
    const TextTable *const contents[] = {&tables.value().stat, &tables.value().tournaments, &tables.value().matches};
    QStringList written;
    QStringList failed;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const Status status = writeCsvFile(targets[k].file, contents[k]->header, contents[k]->rows);
        if (status.ok()) {
            written.append(QDir::toNativeSeparators(QFileInfo(targets[k].file).absoluteFilePath()));
        } else {
            failed.append(status.error());
        }
    }
    if (!failed.isEmpty()) {
        messages().error(QStringLiteral("Не все файлы записаны.\n%1").arg(failed.join(u'\n')) +
                         (written.isEmpty() ? QString() : QStringLiteral("\nЗаписаны:\n%1").arg(written.join(u'\n'))));
        return;
    }
    messages().information(QStringLiteral("Записаны файлы:\n%1").arg(written.join(u'\n')));
}
