#pragma once

#include "Result.h"
#include "StatsConnection.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class CorrectionWindow;
class HistoryTab;
class TournamentsTab;

namespace Ui {
class TForm10;
}

// The history window "История турниров": the tournaments of the book newest
// first with the selected one's cross table, two players' head-to-head, the
// teams' records and a chart of the players' points over the tournaments. It
// corrects the scores of any tournament, takes back the newest change of the
// book, and exports the statistics and the book as
// CSV. It opens a connection of its own to the statistics database when it is
// made, and reads only when it is made, shown again or told that the file
// changed; nothing stays open between the readings.
class TForm10 : public QWidget {
    Q_OBJECT

public:
    // Its connection waits at most lockWait for another program's lock.
    explicit TForm10(std::chrono::milliseconds lockWait = StatsConnection::kProgramLockWait, QWidget *parent = nullptr);
    ~TForm10() override;

    // Asks where to save one CSV file: the dialog's caption and the suggested
    // file name; an empty answer cancels the export. A save dialog unless
    // another chooser is installed; an empty function restores it.
    using FileChooser = std::function<QString(const QString &caption, const QString &suggested)>;
    void setFileChooser(FileChooser chooser);

public slots:
    // "История турниров..." of the main window: reads the book again and shows the window.
    void openHistory();
    // Reads everything again (after a write of the result window).
    void reread();

public:
    // The database file is about to be replaced: the connection closes, and the
    // next reading opens the file again.
    void releaseConnection();

signals:
    // The book and "stat" changed: the newest change was taken back, or a
    // tournament was corrected.
    void bookChanged();

private:
    // At its first opening the window grows, within the screen, until the list
    // of tournaments shows every column whole; later the user's size holds.
    void widenToTheList();
    void makeTabs();
    void connectControls();
    Status openConnection();
    void undoClick();
    // "Вернуть отменённое...": the newest change taken back, brought back.
    void redoClick();
    // Runs an undo or a redo that the user confirmed: then every window reads
    // again, or one box says why it was refused.
    void changeBook(const std::function<Status()> &change);
    // "Исправить турнир...": the correction of the tournament selected in the list.
    void correctClick();
    void exportClick();
    // "Поделиться...": a picture of the selected tournament on the clipboard and
    // in a file the user picks.
    void shareClick();
    Status readAll();
    Status readCurrentPage();
    void pageChanged();

    std::unique_ptr<Ui::TForm10> ui;
    std::unique_ptr<StatsConnection> m_connection;
    std::chrono::milliseconds m_lockWait;
    // One for each page of the tab widget; each reads the book when it is shown
    // and the book changed since its last reading.
    std::vector<std::unique_ptr<HistoryTab>> m_tabs;
    // The tournaments' tab among them, which also says why the book could not be read.
    TournamentsTab *m_tournaments = nullptr;
    FileChooser m_chooseFile;
    // The correction window while it is open; it reads through m_connection.
    QPointer<CorrectionWindow> m_correction;
    // Whether the window has been widened to its list of tournaments.
    bool m_widened = false;
};
