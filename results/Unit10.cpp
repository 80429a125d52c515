#include "Unit10.h"

#include "BookCorrection.h"
#include "BookReader.h"
#include "BookUndo.h"
#include "ChartTab.h"
#include "CorrectionWindow.h"
#include "CsvWriter.h"
#include "DesktopApplications.h"
#include "FileWriting.h"
#include "HeadToHeadTab.h"
#include "HistoryText.h"
#include "LeagueExport.h"
#include "LeagueTabs.h"
#include "Ratings.h"
#include "Seams.h"
#include "SharePicture.h"
#include "StatsConnection.h"
#include "TeamsTab.h"
#include "TournamentBook.h"
#include "TournamentsTab.h"
#include "WaitCursor.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit10.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <optional>

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
    // The league's tabs make their own controls.
    const auto addPage = [this](const char *name, const QString &title) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        ui->PageControl1->addTab(page, title);
        return page;
    };
    m_tabs.push_back(std::make_unique<RatingTab>(addPage("RatingPage", QStringLiteral("Рейтинг")), connection));
    m_tabs.push_back(std::make_unique<SeasonsTab>(addPage("SeasonsPage", QStringLiteral("Сезоны")), connection));
    m_tabs.push_back(std::make_unique<RecordsTab>(addPage("RecordsPage", QStringLiteral("Рекорды")), connection));
    m_tabs.push_back(
        std::make_unique<FinishGridTab>(addPage("FinishGridPage", QStringLiteral("Места по турнирам")), connection));
}

void TForm10::connectControls() {
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm10::pageChanged);
    connect(ui->UndoButton, &QPushButton::clicked, this, &TForm10::undoClick);
    auto *redo = new QPushButton(QStringLiteral("&Вернуть отменённое..."), this);
    redo->setObjectName(QStringLiteral("RedoButton"));
    redo->setToolTip(QStringLiteral("Вернуть в книгу последнее отменённое изменение"));
    ui->ButtonsLayout->insertWidget(ui->ButtonsLayout->indexOf(ui->UndoButton) + 1, redo);
    connect(redo, &QPushButton::clicked, this, &TForm10::redoClick);
    auto *correct = new QPushButton(QStringLiteral("&Исправить турнир..."), this);
    correct->setObjectName(QStringLiteral("CorrectButton"));
    correct->setToolTip(QStringLiteral("Исправить счёт выбранного турнира и пересчитать статистику"));
    ui->ButtonsLayout->insertWidget(ui->ButtonsLayout->indexOf(ui->UndoButton), correct);
    connect(correct, &QPushButton::clicked, this, &TForm10::correctClick);
    connect(ui->ExportButton, &QPushButton::clicked, this, &TForm10::exportClick);
    auto *share = new QPushButton(QStringLiteral("&Поделиться..."), this);
    share->setObjectName(QStringLiteral("ShareButton"));
    share->setToolTip(QStringLiteral("Картинка выбранного турнира: в буфер обмена и в файл"));
    ui->ButtonsLayout->insertWidget(ui->ButtonsLayout->indexOf(ui->ExportButton) + 1, share);
    connect(share, &QPushButton::clicked, this, &TForm10::shareClick);
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
    // An open correction reads through the connection; the file under it is
    // about to change, so what it shows would no longer hold.
    if (m_correction) {
        m_correction->reject();
        delete m_correction;
    }
    m_connection.reset();
}

void TForm10::setFileChooser(FileChooser chooser) {
    m_chooseFile = std::move(chooser);
}

void TForm10::openHistory() {
    const Status read = readAll();
    bringToFront(this);
    // Measured once shown, when the layout has given the list its real width.
    if (!m_widened) {
        m_widened = true;
        widenToTheList();
    }
    if (!read.ok()) {
        messages().error(QStringLiteral("История турниров не прочитана.\n%1").arg(read.error()));
    }
}

void TForm10::widenToTheList() {
    QTableView *const list = ui->TournamentList;
    const QHeaderView *const header = list->horizontalHeader();
    int needed = list->verticalHeader()->sizeHint().width() + 2 * list->frameWidth() +
                 list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const QAbstractItemView *const view = list; // where sizeHintForColumn is public
    for (int column = 0; column < header->count(); ++column) {
        needed += std::min(std::max(header->sectionSizeHint(column), view->sizeHintForColumn(column)), kWidestColumn);
    }
    const int missing = needed - list->width();
    const QScreen *const shownOn = screen();
    if (missing > 0 && shownOn != nullptr) {
        resize(std::min(width() + missing, shownOn->availableGeometry().width()), height());
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
        messages().error(QStringLiteral("Ничего не отменено.\n%1").arg(opened.error()));
        return;
    }
    const Result<NewestChange> newest = newestChange(*m_connection);
    if (!newest.ok()) {
        messages().error(newest.error());
        return;
    }
    const NewestChange &change = newest.value();
    const QString consequence =
        change.kind == NewestChange::Kind::Write
            ? QStringLiteral("Результаты турнира будут вычтены из статистики, а сам турнир удалён из истории.")
            : QStringLiteral("Турнир получит прежний счёт, а статистика — прежние цифры.");
    if (messages().askYesNo(QStringLiteral("Отменить последнее изменение книги турниров — %1?\n\n%2")
                                .arg(describeChange(change), consequence)) != Messages::Answer::Yes) {
        return;
    }
    // The change named in the question, not whatever is newest by now.
    changeBook([this, &change] { return undoNewestChange(*m_connection, change); });
}

void TForm10::changeBook(const std::function<Status()> &change) {
    Status changed;
    {
        const WaitCursor busy;
        changed = change();
    }
    // A refused change changed nothing in the file, but another program may
    // have: the window shows the book as it is now, and one box says why it was
    // refused (a reading that fails too shows in the window, not in a second box).
    if (!changed.ok()) {
        messages().error(changed.error());
        [[maybe_unused]] const Status read = readAll();
        return;
    }
    emit bookChanged();
    reread();
}

void TForm10::redoClick() {
    if (const Status opened = openConnection(); !opened.ok()) {
        messages().error(QStringLiteral("Ничего не возвращено.\n%1").arg(opened.error()));
        return;
    }
    const Result<UndoneChange> newest = newestUndone(*m_connection);
    if (!newest.ok()) {
        messages().error(newest.error());
        return;
    }
    if (messages().askYesNo(QStringLiteral("Вернуть отменённое изменение книги турниров — %1?")
                                .arg(describeChange(newest.value().change))) != Messages::Answer::Yes) {
        return;
    }
    changeBook([this, &newest] { return redoNewestUndone(*m_connection, newest.value()); });
}

void TForm10::correctClick() {
    if (const Status opened = openConnection(); !opened.ok()) {
        messages().error(QStringLiteral("Турнир не открыт для исправления.\n%1").arg(opened.error()));
        return;
    }
    const qint64 id = m_tournaments->selectedTournament();
    if (id == 0) {
        messages().information(m_tournaments->tournamentCount() == 0
                                   ? QStringLiteral("В истории нет ни одного турнира: исправлять нечего.")
                                   : QStringLiteral("Выберите турнир в списке на вкладке «Турниры»."));
        return;
    }
    std::unique_ptr<CorrectionPreviewer> previewer;
    {
        const WaitCursor busy;
        Result<TournamentToCorrect> tournament = readTournamentToCorrect(*m_connection, id);
        if (!tournament.ok()) {
            messages().error(tournament.error());
            [[maybe_unused]] const Status read = readAll();
            return;
        }
        Result<LeagueBook> book = readLeagueBook(*m_connection);
        if (!book.ok()) {
            messages().error(QStringLiteral("Турнир не открыт для исправления.\n%1").arg(book.error()));
            return;
        }
        previewer = std::make_unique<CorrectionPreviewer>(std::move(tournament).value(), std::move(book).value());
    }
    auto *window = new CorrectionWindow(*m_connection, std::move(previewer), this);
    m_correction = window;
    // The corrected tournament stays the one shown, with its new cross table.
    connect(window, &CorrectionWindow::corrected, this, [this, id] {
        emit bookChanged();
        reread();
        m_tournaments->selectTournament(id);
    });
    window->open();
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
    std::array<Target, 4> targets{{
        {QStringLiteral("Сохранить таблицу статистики"), QStringLiteral("Статистика.csv"), {}},
        {QStringLiteral("Сохранить турниры"), QStringLiteral("Турниры.csv"), {}},
        {QStringLiteral("Сохранить матчи турниров"), QStringLiteral("Матчи.csv"), {}},
        {QStringLiteral("Сохранить рейтинги после каждого турнира"), QStringLiteral("Рейтинги.csv"), {}},
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
    const WaitCursor busy;
    const Result<LeagueBook> book = readLeagueBook(*m_connection);
    Result<ExportTables> tables = book.ok() ? readExportTables(*m_connection) : Result<ExportTables>(book.status());
    if (!tables.ok()) {
        messages().error(QStringLiteral("Ничего не выгружено.\n%1").arg(tables.error()));
        return;
    }
    // The two readings are two transactions: a tournament written or undone
    // between them would leave the ratings out of step with the other files.
    if (!sameTournaments(tables.value().tournaments, book.value())) {
        messages().error(QStringLiteral("Ничего не выгружено: другая программа изменила историю турниров во время "
                                        "выгрузки. Выгрузите ещё раз."));
        return;
    }
    const TextTable ratings = ratingsExportTable(book.value(), rateBook(book.value()));
    const TextTable *const contents[] = {&tables.value().stat, &tables.value().tournaments, &tables.value().matches,
                                         &ratings};
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
    // The files may lie in different folders: the folder of the first is offered.
    tellSavedAndOfferFolder(QStringLiteral("Записаны файлы:\n%1").arg(written.join(u'\n')),
                            QFileInfo(targets.front().file).absolutePath());
}

void TForm10::shareClick() {
    const qint64 id = m_tournaments->selectedTournament();
    if (id == 0) {
        messages().information(QStringLiteral("Выберите турнир на вкладке «Турниры»: картинка делается для него."));
        return;
    }
    if (const Status opened = openConnection(); !opened.ok()) {
        messages().error(QStringLiteral("Картинка не сделана.\n%1").arg(opened.error()));
        return;
    }
    std::optional<SharePicture> picture;
    QString date;
    {
        const WaitCursor busy;
        const Result<LeagueBook> book = readLeagueBook(*m_connection);
        if (!book.ok()) {
            messages().error(QStringLiteral("Картинка не сделана.\n%1").arg(book.error()));
            return;
        }
        const auto found = std::find_if(book.value().begin(), book.value().end(),
                                        [id](const LeagueTournament &t) { return t.id == id; });
        if (found == book.value().end()) {
            messages().error(QStringLiteral("Картинка не сделана: этого турнира больше нет в истории."));
            reread();
            return;
        }
        const auto t = static_cast<std::size_t>(found - book.value().begin());
        const Ratings ratings = rateBook(book.value());
        picture = drawSharePicture(*found, ratings.tournamentChanges[t], ratings.ratingsAfter[t]);
        date = leagueDate(found->written);
    }
    QGuiApplication::clipboard()->setImage(picture->image);
    const QString caption = QStringLiteral("Сохранить картинку турнира");
    const QString suggested = QStringLiteral("Турнир %1.png").arg(date);
    QString file = m_chooseFile ? m_chooseFile(caption, suggested)
                                : QFileDialog::getSaveFileName(this, caption, QDir::home().filePath(suggested),
                                                               QStringLiteral("Картинки PNG (*.png)"), nullptr,
                                                               QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty()) {
        messages().information(QStringLiteral("Картинка турнира скопирована в буфер обмена."));
        return;
    }
    if (!file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        file += QStringLiteral(".png");
    }
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    // Asked here, once, about the name that will be written (".png" may have been added).
    if (QFileInfo(file).exists() &&
        messages().askYesNo(
            QStringLiteral("Картинка турнира скопирована в буфер обмена.\nФайл %1 уже есть. Заменить его?")
                .arg(shown)) != Messages::Answer::Yes) {
        return;
    }
    if (const Status written = writeFileBytes(file, sharePictureBytes(picture->image)); !written.ok()) {
        messages().error(QStringLiteral("Картинка турнира скопирована в буфер обмена, но в файл не сохранена.\n%1")
                             .arg(written.error()));
        return;
    }
    tellSavedAndOfferFolder(
        QStringLiteral("Картинка турнира скопирована в буфер обмена и сохранена в файл %1").arg(shown),
        QFileInfo(file).absolutePath());
}
