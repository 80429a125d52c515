#include "Backups.h"
#include "BackupsWindow.h"
#include "BookFixture.h"
#include "ProgramTest.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit9.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

const QStringList kScores{"2", "1", "1", "1", "0", "1", "1", "0", "3", "0", "2", "2"};

} // namespace

// The backups window and the backups the program makes, inside the whole program.
class BackupsWindowTest : public OpenWindowsTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        writeStandardFiles();
    }

    BackupsWindow &openFromMenu() {
        find<QAction>("N11")->trigger();
        return program->backupsWindow();
    }
    template <typename T> T *control(const char *name) const { return findIn<T>(&program->backupsWindow(), name); }
    void click(const char *button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    QString cell(int row, int column) const {
        const QTableWidgetItem *item = control<QTableWidget>("BackupList")->item(row, column);
        return item ? item->text() : QString();
    }
    int rows() const { return control<QTableWidget>("BackupList")->rowCount(); }
    void select(int row) const { control<QTableWidget>("BackupList")->selectRow(row); }

    void writeThroughResultWindow(const QStringList &players, bool waitForBackup = true) {
        TForm9 &results = program->form9();
        results.openForStatistics(players);
        QTest::mouseClick(findIn<QPushButton>(&results, "Button2"), Qt::LeftButton);
        for (int k = 0; k < 12; ++k) {
            findIn<QLineEdit>(&results, QStringLiteral("Edit%1").arg(k + 1).toLatin1())->setText(kScores[k]);
        }
        QTest::mouseClick(findIn<QPushButton>(&results, "Button1"), Qt::LeftButton);
        QTest::mouseClick(findIn<QPushButton>(&results, "BitBtn1"), Qt::LeftButton);
        // The backup after it runs beside the windows.
        if (waitForBackup) {
            program->finishBackup();
        }
    }
    int gridRows() const { return findIn<QTableView>(&program->form9(), "DBGrid1")->model()->rowCount(); }
    std::vector<BackupEntry> backups() const { return listBackups(dir.path()); }
};

TEST_F(BackupsWindowTest, EveryWriteAndUndoLeavesABackupThatTheWindowListsNewestFirst) {
    start();
    const QList<QAction *> menu = find<QMenu>("N1")->actions();
    const qsizetype history = menu.indexOf(find<QAction>("N10"));
    ASSERT_GE(history, 0);
    EXPECT_EQ(menu.value(history + 1), find<QAction>("N11"));
    EXPECT_EQ(find<QAction>("N11")->text(), u8("&Резервные копии..."));

    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")});
    ASSERT_EQ(backups().size(), 1u);
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")});
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join(u'\n').toStdString();

    boxes.answers.push_back(Messages::Answer::Yes);
    program->form10().openHistory();
    QTest::mouseClick(findIn<QPushButton>(&program->form10(), "UndoButton"), Qt::LeftButton);
    program->finishBackup();
    ASSERT_EQ(backups().size(), 3u);

    // An old copy that a disk damaged is listed as such and cannot be chosen.
    write(Backups::FolderName + QStringLiteral("/base-20200101-120000.mdb"), QByteArray(4096, 'x'));

    BackupsWindow &window = openFromMenu();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), u8("Резервные копии"));
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(cell(3, 0), u8("01.01.2020 12:00:00"));
    EXPECT_TRUE(cell(3, 1).startsWith(u8("не читается"))) << cell(3, 1).toStdString();
    select(3);
    EXPECT_FALSE(control<QPushButton>("RestoreButton")->isEnabled());
    select(2);
    EXPECT_TRUE(control<QPushButton>("RestoreButton")->isEnabled());
    control<QTableWidget>("BackupList")->clearSelection();
    // Newest first: after the undo one tournament, before it two.
    EXPECT_EQ(cell(0, 1), u8("1"));
    EXPECT_EQ(cell(1, 1), u8("2"));
    EXPECT_EQ(cell(1, 2), u8("4"));
    EXPECT_EQ(cell(1, 4), u8("Вася, Петя, Гена"));
    EXPECT_EQ(cell(2, 4), u8("Вася, Петя, Коля"));
    EXPECT_FALSE(control<QPushButton>("RestoreButton")->isEnabled());
}

TEST_F(BackupsWindowTest, ABackupThatFailsIsSaidOnceAndTheWriteBeforeItStandsAsASuccess) {
    start();
    write(Backups::FolderName, "not a folder");
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")}, false);
    // The backup runs beside the windows; the event loop says how it ended.
    QElapsedTimer waited;
    waited.start();
    while (boxes.shown.empty() && waited.elapsed() < 10000) {
        QTest::qWait(10);
    }
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(u8("Резервная копия не сделана"))) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("Само изменение базы сделано")));
    // The write is done and the window says so as after any write.
    EXPECT_EQ(statRows(path(StatsDb::FileName)).size(), 3);
    EXPECT_FALSE(findIn<QPushButton>(&program->form9(), "BitBtn1")->isEnabled());
    EXPECT_EQ(read(Backups::FolderName), "not a folder");
}

TEST_F(BackupsWindowTest, ARestoreAsksFirstSaysWhatChangesAndIsUndoneByTheBackupMadeBeforeIt) {
    start();
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")});
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")});
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")});
    const QStringList three = statRows(path(StatsDb::FileName));
    program->form10().openHistory();
    openFromMenu();
    ASSERT_EQ(rows(), 3);

    // No, the default, changes nothing.
    select(2);
    boxes.answers.push_back(Messages::Answer::No);
    click("RestoreButton");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("уйдёт турниров: 2"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), three);
    EXPECT_EQ(backups().size(), 3u);

    // The settings change after the backup; the restore brings the old names back.
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    select(2);
    boxes.answers.push_back(Messages::Answer::Yes);
    click("RestoreButton");
    ASSERT_EQ(boxes.shown.size(), 3u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(boxes.shown[2].kind, ScriptedMessages::Kind::Information) << boxes.shown[2].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)).size(), 3);
    // Every open window reads the restored file.
    EXPECT_EQ(gridRows(), 3);
    EXPECT_EQ(findIn<QTableView>(&program->form10(), "TournamentList")->model()->rowCount(), 1);
    EXPECT_EQ(text("Label16"), u8("Вася"));
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(cell(0, 1), u8("3")) << "the state before the restore is the newest backup";

    // The restore undone: the backup made just before it.
    select(0);
    boxes.answers.push_back(Messages::Answer::Yes);
    click("RestoreButton");
    ASSERT_EQ(boxes.shown.size(), 5u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes.shown[3].text.contains(u8("вернётся турниров: 2"))) << boxes.shown[3].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), three);
    EXPECT_EQ(gridRows(), 4);
    EXPECT_EQ(text("Label16"), u8("A"));
    EXPECT_EQ(findIn<QTableView>(&program->form10(), "TournamentList")->model()->rowCount(), 3);

    // The result window writes to the restored file.
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")});
    EXPECT_EQ(findIn<QTableView>(&program->form10(), "TournamentList")->model()->rowCount(), 4);
}

TEST_F(BackupsWindowTest, ADamagedFileAtStartIsSaidAndTheNewestGoodBackupOffered) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    ASSERT_TRUE(makeBackup(dir.path(), QDateTime(QDate(2026, 1, 24), QTime(21, 0)), kTestLockWait).ok());
    const QStringList good = statRows(path(StatsDb::FileName));
    // A newer backup that is itself damaged is passed over.
    write(Backups::FolderName + QStringLiteral("/base-20260125-100000.mdb"), QByteArray(8192, 'x'));
    QDir().mkpath(path(Backups::FolderName + QStringLiteral("/base-20260125-100000")));
    const QByteArray sound = read(StatsDb::FileName);

    // A page of garbage: the file opens, the check after the window is shown finds it.
    write(StatsDb::FileName, sound.left(4096) + QByteArray(4096, '\x33') + sound.mid(8192));
    start();
    boxes.answers.push_back(Messages::Answer::Yes);
    program->checkDatabaseAfterShow();
    ASSERT_EQ(boxes.shown.size(), 2u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("повреждена"))) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("24.01.2026 21:00:00"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), good);
    EXPECT_EQ(gridRows(), 4);
    program.reset();

    // Zero bytes: the file does not open at all; the offer comes before the window.
    boxes.shown.clear();
    write(StatsDb::FileName, QByteArray());
    boxes.answers.push_back(Messages::Answer::Yes);
    start();
    EXPECT_TRUE(endedWith.empty());
    EXPECT_EQ(statRows(path(StatsDb::FileName)), good);
    EXPECT_EQ(folderEntries(path(Backups::FolderName)).filter(QStringLiteral("damaged-")).size(), 2);
    program.reset();

    // Without a good backup: how to recover by hand, and the end.
    boxes.shown.clear();
    QDir(path(Backups::FolderName)).removeRecursively();
    write(StatsDb::FileName, sound.left(sound.size() / 3));
    start();
    ASSERT_EQ(endedWith, std::vector<int>{1});
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("вручную"))) << boxes.shown[0].text.toStdString();
}

TEST_F(BackupsWindowTest, TheCopyToAFileComesBackOnAnotherComputerAndAStrangeFileIsRefused) {
    start();
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")});
    const QStringList one = statRows(path(StatsDb::FileName));
    openFromMenu();
    const QString copy = path(QStringLiteral("перенос.mdb"));
    program->backupsWindow().setFileChooser([&copy](const QString &, bool) { return copy; });
    click("ExportButton");
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Information);

    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")});
    write(QStringLiteral("чужой.mdb"), "not a database at all, but long enough to look like one to a careless reader");
    program->backupsWindow().setFileChooser(
        [this](const QString &, bool) { return path(QStringLiteral("чужой.mdb")); });
    click("ImportButton");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.contains(u8("не подходит"))) << boxes.shown[1].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)).size(), 4);

    program->backupsWindow().setFileChooser([&copy](const QString &, bool) { return copy; });
    boxes.answers.push_back(Messages::Answer::Yes);
    click("ImportButton");
    ASSERT_EQ(boxes.shown.size(), 4u) << boxes.texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes.shown[2].text.contains(u8("уйдёт турниров: 1"))) << boxes.shown[2].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), one);
    EXPECT_EQ(gridRows(), 3);
}
