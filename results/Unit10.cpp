#include "Unit10.h"

#include "BookReader.h"
#include "ChartTab.h"
#include "CsvWriter.h"
#include "HeadToHeadTab.h"
#include "Seams.h"
#include "StatsConnection.h"
#include "TeamsTab.h"
#include "TournamentBook.h"
#include "TournamentsTab.h"
#include "WaitCursor.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit10.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

namespace {

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

TForm10::TForm10(std::chrono::milliseconds lockWait, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm10>()), m_lockWait(lockWait) {
    ui->setupUi(this);
    closeOnEscape(this);
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }
    makeTabs();
    connectControls();
}

// The tabs fill the pages of the design in their order; each reads through the
// window's connection as it stands when it reads.
void TForm10::makeTabs() {
    const HistoryTab::ConnectionSource connection = [this]() -> const StatsConnection * { return m_connection.get(); };
    auto tournaments = std::make_unique<TournamentsTab>(ui->TournamentsPage, ui->TournamentList, ui->CrossTitle,
                                                        ui->CrossTable, connection);
    m_tournaments = tournaments.get();
    m_tabs.push_back(std::move(tournaments));
    m_tabs.push_back(std::make_unique<HeadToHeadTab>(ui->HeadToHeadPage, ui->FirstPlayer, ui->SecondPlayer,
                                                     ui->HeadToHeadSummary, ui->HeadToHeadMatches, connection));
    m_tabs.push_back(std::make_unique<TeamsTab>(ui->TeamsPage, ui->TeamTable, connection));
    m_tabs.push_back(std::make_unique<ChartTab>(ui->ChartPage, ui->ChartLayout, connection));
}

void TForm10::connectControls() {
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
    Result<std::unique_ptr<StatsConnection>> opened = [this] {
        const WaitCursor busy;
        return StatsConnection::open(StatsDb::FileName, m_lockWait);
    }();
    if (!opened.ok()) {
        return Failure{
            opened.error() +
            QStringLiteral("\nИстория будет прочитана снова, когда вы откроете это окно или выберете вкладку.")};
    }
    m_connection = std::move(opened).value();
    return {};
}

TForm10::~TForm10() = default;

void TForm10::releaseConnection() {
    m_connection.reset();
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
    for (const std::unique_ptr<HistoryTab> &tab : m_tabs) {
        tab->markStale();
    }
    return readCurrentPage();
}

Status TForm10::readCurrentPage() {
    const QWidget *const page = ui->PageControl1->currentWidget();
    if (const Status opened = openConnection(); !opened.ok()) {
        m_tournaments->showUnread(opened.error());
        return opened;
    }
    for (const std::unique_ptr<HistoryTab> &tab : m_tabs) {
        if (tab->page() == page) {
            return tab->readIfStale();
        }
    }
    return {};
}

void TForm10::pageChanged() {
    const Status read = readCurrentPage();
    if (!read.ok()) {
        messages().error(QStringLiteral("История турниров не прочитана.\n%1").arg(read.error()));
    }
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
