#include "Unit9.h"

#include "ElidedText.h"
#include "Icons.h"
#include "Seams.h"
#include "Standings.h"
#include "StatTable.h"
#include "StatWrites.h"
#include "Tournament.h"
#include "TournamentBook.h"
#include "WaitCursor.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit9.h"

#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>

namespace {

constexpr int kIdWidth = 30;
constexpr int kPlayerWidth = 70;
constexpr int kCounterWidth = 63;

} // namespace

std::unique_ptr<StatsConnection> TForm9::openDatabase(std::chrono::milliseconds lockWait, const Recovery &recover) {
    const auto open = [lockWait] {
        const WaitCursor busy;
        return StatsConnection::open(StatsDb::FileName, lockWait);
    };
    Result<std::unique_ptr<StatsConnection>> opened = open();
    QString hint;
    if (!opened.ok() && recover && recover(hint)) {
        opened = open();
    }
    if (!opened.ok()) {
        messages().error(QStringLiteral("Не открывается база статистики, программа будет закрыта.\n%1%2")
                             .arg(opened.error(), hint.isEmpty() ? QString() : u'\n' + hint));
        endProgram(1);
        return nullptr;
    }
    return std::move(opened).value();
}

TForm9::TForm9(std::unique_ptr<StatsConnection> connection, const QDate &startDate, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm9>()), m_connection(std::move(connection)) {
    ui->setupUi(this);
    move(212, 125);
    // Team and player names are shown as they stand, never as markup.
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }
    ui->BitBtn1->setIcon(checkMarkIcon());
    ui->DBGrid1->horizontalHeader()->setSectionsClickable(true);
    ui->DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ui->DBGrid1->verticalHeader()->setVisible(true);
    // Rows as close as a data grid's, so that the grid's 137 pixels show several.
    ui->DBGrid1->verticalHeader()->setMinimumSectionSize(0);
    ui->DBGrid1->verticalHeader()->setDefaultSectionSize(ui->DBGrid1->fontMetrics().height() + 5);
    ui->DBGrid1->installEventFilter(this);

    connect(ui->Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TForm9::BitBtn1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
    connect(ui->DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TForm9::DBGrid1TitleClick);
    for (QLineEdit *edit : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->Edit7, ui->Edit8,
                            ui->Edit9, ui->Edit10, ui->Edit11, ui->Edit12}) {
        connect(edit, &QLineEdit::textChanged, this, &TForm9::scoreEdited);
    }

    FormCreate(startDate);
}

TForm9::~TForm9() {
    ui->DBGrid1->setModel(nullptr);
    m_table.reset();
    m_connection.reset();
}

void TForm9::FormCreate(const QDate &startDate) {
    ui->Label2->setText(QLocale::system().toString(startDate, QLocale::ShortFormat));
    if (!m_connection) {
        return;
    }
    const Status read = showStatTable();
    ui->DBGrid1->setColumnWidth(0, kIdWidth);
    ui->DBGrid1->setColumnWidth(1, kPlayerWidth);
    for (int column = 2; column < m_table->columnCount(); ++column) {
        ui->DBGrid1->setColumnWidth(column, kCounterWidth);
    }
    // The file was checked at the start; a reading that fails now (another
    // program's lock) leaves the grid empty until the next reading.
    if (!read.ok()) {
        messages().error(QStringLiteral("Таблицу статистики не удалось прочитать.\n%1").arg(read.error()));
    }
}

std::array<QLabel *, 9> TForm9::rowLabels(int row) const {
    switch (row) {
    case 0:
        return {ui->Label33, ui->Label34, ui->Label35, ui->Label15, ui->Label16,
                ui->Label18, ui->Label19, ui->Label29, ui->Label43};
    case 1:
        return {ui->Label36, ui->Label37, ui->Label38, ui->Label20, ui->Label21,
                ui->Label22, ui->Label23, ui->Label30, ui->Label44};
    default:
        return {ui->Label39, ui->Label40, ui->Label41, ui->Label24, ui->Label25,
                ui->Label26, ui->Label27, ui->Label31, ui->Label45};
    }
}

void TForm9::openForStatistics(const QStringList &players) {
    setElidedText(ui->Label29, players.value(0));
    setElidedText(ui->Label30, players.value(1));
    setElidedText(ui->Label31, players.value(2));
    bringToFront(this);
}

void TForm9::openAfterFinalTable(const Tournament &tournament) {
    QLabel *const rowTitles[] = {ui->Label3, ui->Label4, ui->Label5};
    QLabel *const columnTitles[] = {ui->Label6, ui->Label7, ui->Label8};
    QLabel *const names[] = {ui->Label29, ui->Label30, ui->Label31};
    for (int k = 0; k < kPlayers; ++k) {
        setElidedText(rowTitles[k], tournament.teams[k]);
        setElidedText(columnTitles[k], tournament.teams[k]);
        setElidedText(names[k], tournament.players[k]);
    }
    m_tournament = tournament;
    ui->Button1->setEnabled(true);
    bringToFront(this);
}

Status TForm9::checkFiguresFollowScores(const Matches &matches) const {
    const StandingsTable table = standingsOf(matches);
    for (int r = 0; r < kPlayers; ++r) {
        const std::array<QLabel *, 9> labels = rowLabels(r);
        const std::array<QString, 7> computed = figureTexts(table.rows[r]);
        bool same = labels[8]->text() == table.places[r];
        for (int k = 0; k < 7; ++k) {
            same = same && labels[k]->text() == computed[k];
        }
        if (!same) {
            return Failure{QStringLiteral("Счёт в полях изменился после расчёта, и таблица на экране ему больше не "
                                          "соответствует. Нажмите «Посчитать результат», проверьте таблицу и "
                                          "запишите снова.") +
                           writeRollbackWords().nothingChanged};
        }
    }
    return {};
}

ScoreTexts TForm9::scoreTexts() const {
    const QLineEdit *const edits[] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4,  ui->Edit5,  ui->Edit6,
                                      ui->Edit7, ui->Edit8, ui->Edit9, ui->Edit10, ui->Edit11, ui->Edit12};
    ScoreTexts boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = edits[i]->text();
    }
    return boxes;
}

void TForm9::Button1Click() {
    const StandingsTable table = Standings(scoreTexts());

    // What the computation reached before a box stopped it stays shown.
    for (int r = 0; r < table.rowsDone; ++r) {
        const std::array<QLabel *, 9> labels = rowLabels(r);
        const std::array<QString, 7> figures = figureTexts(table.rows[r]);
        for (std::size_t k = 0; k < figures.size(); ++k) {
            labels[k]->setText(figures[k]);
        }
    }
    if (table.scoredOfNextRow) {
        rowLabels(table.rowsDone)[3]->setText(QString::number(table.rows[table.rowsDone].scored));
    }
    if (!table.complete()) {
        messages().error(table.error);
        return;
    }
    for (int r = 0; r < kPlayers; ++r) {
        rowLabels(r)[8]->setText(table.places[r]);
    }
    ui->BitBtn1->setEnabled(true);
}

PerPlayer<PlayerFigures> TForm9::rowsOnShow() const {
    PerPlayer<PlayerFigures> rows;
    for (int r = 0; r < kPlayers; ++r) {
        const std::array<QLabel *, 9> labels = rowLabels(r);
        rows[r] = {fullText(labels[7]), labels[0]->text(), labels[1]->text(), labels[2]->text(), labels[3]->text(),
                   labels[4]->text(),   labels[5]->text(), labels[6]->text(), labels[8]->text()};
    }
    return rows;
}

Result<TournamentEntry> TForm9::checkedEntry(const PerPlayer<PlayerFigures> &rows) const {
    // The scores become numbers here, once, after the figures' own check.
    const Result<Matches> matches = checkTournament(rows, scoreTexts());
    if (!matches.ok()) {
        return matches.status();
    }
    // The figures on show must be the ones the boxes give now: the book keeps the
    // matches beside the figures, and the two must tell one story.
    if (const Status agreed = checkFiguresFollowScores(matches.value()); !agreed.ok()) {
        return agreed;
    }
    TournamentEntry entry;
    entry.matches = matches.value();
    // A row's title is its player's team only while that player is still the one
    // the final table put there: a tournament entered by hand later in the run
    // has no teams.
    for (int r = 0; r < kPlayers; ++r) {
        if (m_tournament && rows[r].name == m_tournament->players[r]) {
            entry.teams[r] = m_tournament->teams[r];
        }
    }
    return entry;
}

void TForm9::BitBtn1Click() {
    if (!m_connection) {
        return;
    }
    const PerPlayer<PlayerFigures> rows = rowsOnShow();
    const Result<TournamentEntry> entry = checkedEntry(rows);
    if (!entry.ok()) {
        messages().error(entry.error());
        return;
    }
    Result<QStringList> written = QStringList();
    Status reread;
    {
        const WaitCursor busy;
        // The write and the reading that shows it wait for another program as one.
        const StatsConnection::LockWaitScope wait(*m_connection);
        written = writeTournament(*m_connection, rows, entry.value(), [this](int done) {
            ui->ProgressBar1->setValue(done == kPlayers ? 100 : 100 / kPlayers * done);
        });
        // After a failed write nothing in the file changed, and the grid keeps
        // what it shows.
        if (written.ok()) {
            reread = rereadTable([this] { return m_table->reload(); });
        }
    }
    if (!written.ok()) {
        // Nothing was stored, whatever row the write had reached.
        ui->ProgressBar1->setValue(0);
        messages().error(written.error());
        return;
    }
    ui->BitBtn1->setEnabled(false);
    ui->Button1->setEnabled(false);
    // The teams belonged to the tournament just written.
    m_tournament.reset();
    emit tournamentWritten();
    for (const QString &notice : written.value()) {
        messages().information(notice);
    }
    if (!reread.ok()) {
        messages().error(QStringLiteral("Результаты записаны в базу, но таблицу статистики не удалось перечитать.\n%1")
                             .arg(reread.error()));
    }
}

void TForm9::rereadStatistics() {
    if (!m_table) {
        return;
    }
    Status reread;
    {
        const WaitCursor busy;
        reread = rereadTable([this] { return m_table->reload(); });
    }
    if (!reread.ok()) {
        messages().error(QStringLiteral("Таблицу статистики не удалось перечитать.\n%1").arg(reread.error()));
    }
}

void TForm9::releaseConnection() {
    if (m_table) {
        QHeaderView *const header = ui->DBGrid1->horizontalHeader();
        m_columnWidths.clear();
        for (int column = 0; column < header->count(); ++column) {
            m_columnWidths.push_back(header->sectionSize(column));
        }
    }
    ui->DBGrid1->setModel(nullptr);
    m_table.reset();
    m_connection.reset();
}

Status TForm9::showStatTable() {
    m_table = std::make_unique<StatTable>(*m_connection);
    ui->DBGrid1->setModel(m_table.get());
    const WaitCursor busy;
    return m_table->reload();
}

void TForm9::takeConnection(std::unique_ptr<StatsConnection> connection) {
    releaseConnection();
    m_connection = std::move(connection);
    if (!m_connection) {
        return;
    }
    const Status read = showStatTable();
    for (int column = 0; column < static_cast<int>(m_columnWidths.size()) && column < m_table->columnCount();
         ++column) {
        ui->DBGrid1->setColumnWidth(column, m_columnWidths[static_cast<std::size_t>(column)]);
    }
    if (!read.ok()) {
        messages().error(QStringLiteral("Таблицу статистики не удалось прочитать.\n%1").arg(read.error()));
    }
}

void TForm9::Button2Click() {
    ui->ProgressBar1->setValue(0);
    ui->Button1->setEnabled(true);
    ui->BitBtn1->setEnabled(true);
}

void TForm9::scoreEdited() {
    ui->BitBtn1->setEnabled(false);
}

void TForm9::DBGrid1TitleClick(int column) {
    if (!m_table || column == m_table->orderColumn()) {
        return;
    }
    Status ordered;
    {
        const WaitCursor busy;
        ordered = rereadTable([this, column] { return m_table->orderBy(column); });
    }
    if (!ordered.ok()) {
        messages().error(QStringLiteral("Таблицу статистики не удалось перечитать.\n%1").arg(ordered.error()));
    }
}

Status TForm9::rereadTable(const std::function<Status()> &read) {
    // A new reading resets the grid's columns; the widths that the user gave them
    // are kept.
    QHeaderView *const header = ui->DBGrid1->horizontalHeader();
    std::vector<int> widths;
    widths.reserve(header->count());
    for (int column = 0; column < header->count(); ++column) {
        widths.push_back(header->sectionSize(column));
    }
    const Status status = read();
    for (int column = 0; column < static_cast<int>(widths.size()) && column < header->count(); ++column) {
        header->resizeSection(column, widths[column]);
    }
    return status;
}

void TForm9::DBGrid1ConfirmedDelete() {
    const QModelIndex current = ui->DBGrid1->currentIndex();
    if (!m_table || !current.isValid()) {
        return;
    }
    if (messages().askOkCancel(QStringLiteral("Delete record?")) != Messages::Answer::Ok) {
        return;
    }
    Status deleted;
    Status reread;
    {
        const WaitCursor busy;
        const StatsConnection::LockWaitScope wait(*m_connection);
        deleted = m_table->deleteRow(current.row());
        if (deleted.ok()) {
            reread = rereadTable([this] { return m_table->reload(); });
        }
    }
    if (!deleted.ok()) {
        messages().error(deleted.error());
    } else if (!reread.ok()) {
        messages().error(QStringLiteral("Строка удалена из базы, но таблицу статистики не удалось перечитать.\n%1")
                             .arg(reread.error()));
    }
}

bool TForm9::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui->DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            DBGrid1ConfirmedDelete();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm9::keyPressEvent(QKeyEvent *event) {
    // "Записать в базу" is the default button while it is enabled.
    if (!pressButtonForEnter(this, event)) {
        QWidget::keyPressEvent(event);
    }
}
