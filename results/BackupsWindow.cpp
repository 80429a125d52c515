#include "BackupsWindow.h"

#include "BackupRestore.h"
#include "Seams.h"
#include "TournamentBook.h"
#include "WaitCursor.h"
#include "WindowBehaviour.h"
#include "ui_BackupsWindow.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>

namespace {

const QString kDataFolder = QStringLiteral(".");

QString databasePath() {
    return QDir(kDataFolder).filePath(StatsDb::FileName);
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    item->setToolTip(text);
    return item;
}

QTableWidgetItem *number(qint64 value) {
    return cell(QString::number(value), Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace

QString backupTimeText(const QDateTime &taken) {
    return taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString bookChangeText(const Result<BookChange> &change) {
    if (!change.ok()) {
        return QStringLiteral("Сравнить с текущей базой не удалось: %1").arg(change.error());
    }
    const BookChange &c = change.value();
    if (c.comeBack == 0 && c.goAway == 0) {
        return QStringLiteral("Турниры в истории останутся те же.");
    }
    QStringList parts;
    if (c.comeBack > 0) {
        parts.append(QStringLiteral("вернётся турниров: %1").arg(c.comeBack));
    }
    if (c.goAway > 0) {
        parts.append(QStringLiteral("уйдёт турниров: %1").arg(c.goAway));
    }
    QString text = QStringLiteral("По сравнению с текущей базой ") + parts.join(QStringLiteral(", ")) + u'.';
    return text;
}

BackupsWindow::BackupsWindow(std::chrono::milliseconds lockWait, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::BackupsWindow>()), m_lockWait(lockWait) {
    ui->setupUi(this);
    closeOnEscape(this);
    ui->FolderLabel->setTextFormat(Qt::PlainText);
    ui->FolderLabel->setText(
        QStringLiteral("Копии делаются после каждой записи турнира и каждой отмены и хранятся в папке %1.")
            .arg(QDir::toNativeSeparators(QDir(kDataFolder).absoluteFilePath(Backups::FolderName))));
    ui->BackupList->verticalHeader()->setVisible(false);
    // Rows as close as the other grids', so that many copies show at once.
    ui->BackupList->verticalHeader()->setMinimumSectionSize(0);
    ui->BackupList->verticalHeader()->setDefaultSectionSize(ui->BackupList->fontMetrics().height() + 5);
    ui->BackupList->horizontalHeader()->setStretchLastSection(false);
    const int widths[] = {140, 75, 70, 140, 260, 80};
    for (int column = 0; column < 6; ++column) {
        ui->BackupList->setColumnWidth(column, widths[column]);
    }
    connect(ui->RestoreButton, &QPushButton::clicked, this, &BackupsWindow::restoreClick);
    connect(ui->ExportButton, &QPushButton::clicked, this, &BackupsWindow::exportClick);
    connect(ui->ImportButton, &QPushButton::clicked, this, &BackupsWindow::importClick);
    connect(ui->CloseButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(ui->BackupList, &QTableWidget::itemSelectionChanged, this,
            [this] { ui->RestoreButton->setEnabled(!ui->BackupList->selectedItems().isEmpty()); });
}

BackupsWindow::~BackupsWindow() = default;

void BackupsWindow::setFileChooser(FileChooser chooser) {
    m_chooseFile = std::move(chooser);
}

void BackupsWindow::openBackups() {
    readList();
    bringToFront(this);
}

void BackupsWindow::reread() {
    if (isVisible()) {
        readList();
    }
}

// Each backup is opened and its tables read as it is listed: a copy that cannot
// be read says so in its row and cannot be chosen. The restore checks the
// chosen one in full.
void BackupsWindow::readList() {
    const WaitCursor busy;
    m_backups = listBackups(kDataFolder);
    QTableWidget *const list = ui->BackupList;
    list->clearContents();
    list->setRowCount(static_cast<int>(m_backups.size()));
    for (int row = 0; row < list->rowCount(); ++row) {
        const BackupEntry &entry = m_backups[static_cast<std::size_t>(row)];
        const DatabaseCheck check = inspectDatabaseFile(entry.databasePath, m_lockWait);
        list->setItem(row, 0, cell(backupTimeText(entry.taken)));
        if (check.verdict == DatabaseCheck::Verdict::Good) {
            const BookSummary &s = check.summary;
            list->setItem(row, 1, number(s.tournaments));
            list->setItem(row, 2, number(s.players));
            const QDateTime newest = QDateTime::fromString(s.newestWritten, Book::WrittenFormat);
            list->setItem(row, 3,
                          cell(newest.isValid() ? newest.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString()));
            list->setItem(row, 4, cell(s.newestPlayers.join(QStringLiteral(", "))));
        } else {
            list->setItem(row, 1, cell(QStringLiteral("не читается: ") + check.reason));
        }
        list->setItem(row, 5, cell(QLocale::system().formattedDataSize(entry.size), Qt::AlignRight | Qt::AlignVCenter));
        if (check.verdict != DatabaseCheck::Verdict::Good) {
            for (int column = 0; column < 6; ++column) {
                if (QTableWidgetItem *item = list->item(row, column)) {
                    item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
                }
            }
        }
    }
    list->clearSelection();
    ui->RestoreButton->setEnabled(false);
}

void BackupsWindow::restoreClick() {
    const QList<QTableWidgetSelectionRange> ranges = ui->BackupList->selectedRanges();
    if (ranges.isEmpty()) {
        return;
    }
    const BackupEntry entry = m_backups.at(static_cast<std::size_t>(ranges.first().topRow()));
    restoreFrom(
        entry.databasePath, QStringLiteral("резервной копии от %1").arg(backupTimeText(entry.taken)),
        [this, entry] { return restoreBackup(kDataFolder, entry, m_lockWait); }, true);
}

void BackupsWindow::importClick() {
    const QString file = m_chooseFile ? m_chooseFile(QStringLiteral("Восстановить из файла"), false) : [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Восстановить из файла"), QDir::homePath(),
                                            QStringLiteral("База статистики (*.mdb);;Все файлы (*)"));
    }();
    if (file.isEmpty()) {
        return;
    }
    const DatabaseCheck check = checkDatabaseFile(file, m_lockWait);
    if (check.verdict != DatabaseCheck::Verdict::Good) {
        messages().error(QStringLiteral("Файл %1 не подходит: %2. Ничего не восстановлено.")
                             .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()), check.reason));
        return;
    }
    restoreFrom(
        file, QStringLiteral("файла %1").arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())),
        [this, file] { return restoreDatabaseFile(kDataFolder, file, m_lockWait); }, false);
}

void BackupsWindow::restoreFrom(const QString &source, const QString &what, const std::function<Status()> &replace,
                                bool withTextFiles) {
    const Result<BookChange> change = compareBooks(databasePath(), source, m_lockWait);
    const QString files = withTextFiles ? QStringLiteral("Настройки, списки команд, журнал команд и последний турнир "
                                                         "тоже будут взяты из копии.\n\n")
                                        : QStringLiteral("Настройки и списки команд останутся как есть.\n\n");
    if (messages().askYesNo(QStringLiteral("Восстановить базу статистики из %1?\n\n%2\n\n%3Текущее состояние сначала "
                                           "будет сохранено в новой резервной копии, так что это восстановление "
                                           "можно будет отменить.")
                                .arg(what, bookChangeText(change), files)) != Messages::Answer::Yes) {
        return;
    }
    // Nothing of the program reads or copies the file from here on.
    emit databaseReleaseRequested();
    Result<QString> saved = QString();
    {
        const WaitCursor busy;
        saved = saveCurrentState(kDataFolder, QDateTime::currentDateTime(), m_lockWait);
    }
    if (!saved.ok()) {
        emit databaseReplaced();
        messages().error(
            QStringLiteral("Ничего не восстановлено: текущее состояние не удалось сохранить.\n%1").arg(saved.error()));
        return;
    }
    Status restored;
    {
        const WaitCursor busy;
        restored = replace();
    }
    if (!restored.ok() && restorePending(kDataFolder)) {
        messages().error(restored.error() + QStringLiteral("\nПрограмма будет закрыта."));
        endProgram(1);
        return;
    }
    emit databaseReplaced();
    readList();
    if (!restored.ok()) {
        messages().error(restored.error());
        return;
    }
    messages().information(
        QStringLiteral("База восстановлена из %1.\nПрежнее состояние сохранено: %2.").arg(what, saved.value()));
}

void BackupsWindow::exportClick() {
    const QString file = m_chooseFile ? m_chooseFile(QStringLiteral("Сохранить копию базы"), true) : [this] {
        QFileDialog dialog(
            this, QStringLiteral("Сохранить копию базы"),
            QDir::home().filePath(
                QStringLiteral("korvana-%1.mdb").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))),
            QStringLiteral("База статистики (*.mdb)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("mdb"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }();
    if (file.isEmpty()) {
        return;
    }
    Status exported;
    {
        const WaitCursor busy;
        exported = exportDatabase(kDataFolder, file, m_lockWait);
    }
    if (!exported.ok()) {
        messages().error(exported.error());
        return;
    }
    messages().information(QStringLiteral("Копия базы сохранена в %1. На другом компьютере её открывает "
                                          "«Восстановить из файла...».")
                               .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
}
