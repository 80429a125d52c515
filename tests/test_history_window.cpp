#include "Backups.h"
#include "BookFixture.h"
#include "ChartTab.h"
#include "CorrectionWindow.h"
#include "Elide.h"
#include "HeadToHeadTab.h"
#include "HistoryText.h"
#include "ProgramTest.h"
#include "TournamentsTab.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit9.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

// The history window inside the whole program, over a statistics file that the
// test fills first.
class HistoryWindow : public OpenWindowsTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        writeStandardFiles();
    }

    // "История турниров..." in the menu.
    TForm10 &openFromMenu() {
        find<QAction>("N10")->trigger();
        return program->form10();
    }
    template <typename T> T *control(const char *name) const { return findIn<T>(&program->form10(), name); }
    void click(const char *button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    QStringList listColumn(int column) const {
        const QAbstractItemModel *model = control<QTableView>("TournamentList")->model();
        QStringList texts;
        for (int r = 0; r < model->rowCount(); ++r) {
            texts.append(model->index(r, column).data().toString());
        }
        return texts;
    }
    QString cell(const char *table, int row, int column) const {
        const QTableWidgetItem *item = control<QTableWidget>(table)->item(row, column);
        return item ? item->text() : QString();
    }

    // Writes a tournament through the result window as the user does.
    void writeThroughResultWindow(const QStringList &players, const QStringList &scores) {
        TForm9 &results = program->form9();
        results.openForStatistics(players);
        QTest::mouseClick(findIn<QPushButton>(&results, "Button2"), Qt::LeftButton);
        for (int k = 0; k < 12; ++k) {
            QLineEdit *box = findIn<QLineEdit>(&results, QStringLiteral("Edit%1").arg(k + 1).toLatin1());
            box->setText(scores[k]);
        }
        QTest::mouseClick(findIn<QPushButton>(&results, "Button1"), Qt::LeftButton);
        QTest::mouseClick(findIn<QPushButton>(&results, "BitBtn1"), Qt::LeftButton);
        // The backup after the write reads the file beside the windows; the
        // tests' other program takes its locks without waiting, so it comes after.
        program->finishBackup();
    }
};

TEST_F(HistoryWindow, TheMenuItemStandsRightAfterStatistics) {
    start();
    QStringList items;
    for (const QAction *action : find<QMenu>("N1")->actions()) {
        items.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    EXPECT_EQ(items, (QStringList{"N5", "N8", "N6", "N10", "N11", "N9", "-", "N3"}));
    EXPECT_EQ(find<QAction>("N10")->text(), u8("&История турниров..."));
}

TEST_F(HistoryWindow, ShowsTheBookWithCrossTableHeadToHeadTeamsAndALazyChart) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    start();
    TForm10 &history = openFromMenu();
    ASSERT_TRUE(history.isVisible());
    EXPECT_EQ(history.windowTitle(), u8("История турниров"));

    EXPECT_EQ(listColumn(0), (QStringList{u8("24.01.2026 20:00"), u8("17.01.2026 20:00"), u8("10.01.2026 20:00")}));
    EXPECT_EQ(listColumn(1)[2], u8("Боря («Рома») — 7 очк., 6:3"));
    EXPECT_EQ(listColumn(3)[0], u8("Вова — 5 очк., 3:4"));

    // The newest is shown first; then the oldest, laid out by row.
    EXPECT_EQ(cell("CrossTable", 0, 1), u8("3 : 3"));
    QTableView *list = control<QTableView>("TournamentList");
    list->setCurrentIndex(list->model()->index(2, 0));
    QTableWidget *cross = control<QTableWidget>("CrossTable");
    EXPECT_EQ(cross->verticalHeaderItem(0)->text(), u8("Милан"));
    EXPECT_EQ(cross->horizontalHeaderItem(2)->text(), u8("Ювентус"));
    EXPECT_EQ(cell("CrossTable", 0, 1), u8("2 : 1"));
    EXPECT_EQ(cell("CrossTable", 1, 0), u8("0 : 0"));
    EXPECT_EQ(cell("CrossTable", 2, 0), u8("2 : 2"));
    EXPECT_EQ(cell("CrossTable", 1, 1), QString());
    // Wins .. points, player, place.
    QStringList figures;
    for (int column = 3; column < 12; ++column) {
        figures.append(cell("CrossTable", 1, column));
    }
    EXPECT_EQ(figures, (QStringList{"2", "1", "1", "6", "3", "3", "7", u8("Боря"), "1"}));
    EXPECT_EQ(cross->columnCount(), 12);
    EXPECT_EQ(cross->horizontalHeaderItem(3)->text(), u8("Побед"));
    EXPECT_EQ(cross->horizontalHeaderItem(11)->text(), u8("Место"));

    // The other tabs are read when first shown.
    auto *tabs = control<QTabWidget>("PageControl1");
    EXPECT_EQ(control<QComboBox>("FirstPlayer")->count(), 0);
    tabs->setCurrentWidget(control<QWidget>("HeadToHeadPage"));
    QComboBox *first = control<QComboBox>("FirstPlayer");
    QComboBox *second = control<QComboBox>("SecondPlayer");
    EXPECT_EQ(first->count(), 4);
    first->setCurrentText(u8("Аня"));
    second->setCurrentText(u8("Вова"));
    EXPECT_EQ(control<QLabel>("HeadToHeadSummary")->text(),
              u8("Аня против Вова: матчей 6, побед 0, ничьих 3, поражений 3, мячи 5:9"));
    EXPECT_EQ(control<QTableWidget>("HeadToHeadMatches")->rowCount(), 6);
    EXPECT_EQ(cell("HeadToHeadMatches", 3, 1), u8("Челси"));
    EXPECT_EQ(cell("HeadToHeadMatches", 3, 2), u8("0 : 1"));
    second->setCurrentText(u8("Аня"));
    EXPECT_EQ(control<QTableWidget>("HeadToHeadMatches")->rowCount(), 0);

    EXPECT_EQ(control<QTableWidget>("TeamTable")->rowCount(), 0);
    tabs->setCurrentWidget(control<QWidget>("TeamsPage"));
    EXPECT_EQ(control<QTableWidget>("TeamTable")->rowCount(), 4);
    EXPECT_EQ(cell("TeamTable", 0, 0), u8("Милан"));
    EXPECT_EQ(cell("TeamTable", 0, 7), u8("Аня (1), Вова (1)"));

    // The chart is made when its tab is first shown.
    EXPECT_EQ(history.findChild<QChartView *>(), nullptr);
    tabs->setCurrentWidget(control<QWidget>("ChartPage"));
    const auto *chart = history.findChild<QChartView *>();
    ASSERT_NE(chart, nullptr);
    const QList<QAbstractSeries *> series = chart->chart()->series();
    ASSERT_EQ(series.size(), 4);
    EXPECT_EQ(series[2]->name(), u8("Вова"));
    const auto line = [&series](int n) { return static_cast<QLineSeries *>(series[n]); };
    EXPECT_EQ(line(2)->points(), (QList<QPointF>{{1, 4}, {2, 12}, {3, 17}}));
    // A line starts at the player's first tournament; one tournament is a dot.
    EXPECT_EQ(line(3)->name(), u8("Гена"));
    EXPECT_EQ(line(3)->points(), (QList<QPointF>{{2, 2}}));
    EXPECT_TRUE(line(3)->pointsVisible());
    // Every player a line of his own look.
    QSet<QString> looks;
    for (int n = 0; n < series.size(); ++n) {
        looks.insert(line(n)->pen().color().name() + QString::number(line(n)->pen().style()));
    }
    EXPECT_EQ(looks.size(), series.size());
}

// Realistic names, and one far too long: every column fits its title and its
// texts, a text cut anywhere shows whole in its tooltip, and the team records
// follow a click on a column's title.
TEST_F(HistoryWindow, ColumnsFitLongNamesAndTheTeamRecordsSortByAClickedTitle) {
    const QString longTeam = QString(u8("Боруссия Мёнхенгладбах ")).repeated(6).trimmed();
    QStringList book = threeTournamentsSql();
    book << u8("UPDATE tournament_player SET player = 'Константин Михайлов' WHERE player = 'Аня'")
         << u8("UPDATE tournament_player SET team = 'Манчестер Сити' WHERE team = 'Милан'")
         << u8("UPDATE tournament_player SET team = 'Атлетико Мадрид' WHERE team = 'Рома'")
         << u8("UPDATE tournament_player SET team = '%1' WHERE team = 'Челси'").arg(longTeam);
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), book);
    start();
    TForm10 &history = openFromMenu();
    history.resize(900, 600);
    const auto checkFits = [](QTableView *table) {
        QHeaderView *header = table->horizontalHeader();
        for (int column = 0; column < header->count(); ++column) {
            if (header->sectionSize(column) < kWidestColumn) {
                EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column))
                    << table->objectName().toStdString() << " title of column " << column;
            }
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                const QModelIndex index = table->model()->index(row, column);
                if (table->sizeHintForIndex(index).width() > header->sectionSize(column)) {
                    EXPECT_EQ(header->sectionSize(column), kWidestColumn);
                    EXPECT_FALSE(tooltipOf(table, index).isEmpty()) << row << ", " << column;
                }
            }
        }
    };
    auto *list = control<QTableView>("TournamentList");
    checkFits(list);
    checkFits(control<QTableWidget>("CrossTable"));
    // The second tournament holds the long team: cut in the list, whole in the tip.
    const QModelIndex second = list->model()->index(1, 2);
    EXPECT_EQ(list->horizontalHeader()->sectionSize(2), kWidestColumn);
    EXPECT_TRUE(tooltipOf(list, second).contains(longTeam)) << tooltipOf(list, second).toStdString();
    // A column the user narrows shows its texts whole in their tips.
    list->setColumnWidth(0, 20);
    EXPECT_EQ(tooltipOf(list, list->model()->index(0, 0)), list->model()->index(0, 0).data().toString());
    list->resizeColumnToContents(0);
    EXPECT_EQ(tooltipOf(list, list->model()->index(0, 0)), QString());

    auto *tabs = control<QTabWidget>("PageControl1");
    tabs->setCurrentWidget(control<QWidget>("HeadToHeadPage"));
    control<QComboBox>("FirstPlayer")->setCurrentText(u8("Вова"));
    control<QComboBox>("SecondPlayer")->setCurrentText(u8("Константин Михайлов"));
    checkFits(control<QTableWidget>("HeadToHeadMatches"));

    tabs->setCurrentWidget(control<QWidget>("TeamsPage"));
    auto *teams = control<QTableWidget>("TeamTable");
    checkFits(teams);
    const auto column = [this, teams](int c) {
        QStringList texts;
        for (int row = 0; row < teams->rowCount(); ++row) {
            texts.append(cell("TeamTable", row, c));
        }
        return texts;
    };
    // Goals scored, largest first, as numbers: 10 before 8 and 6.
    QTest::mouseClick(teams->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(teams->horizontalHeader()->sectionViewportPosition(5) + 5, 5));
    EXPECT_EQ(column(5), (QStringList{"10", "8", "6", "6"}));
    EXPECT_EQ(column(0).first(), u8("Манчестер Сити"));
    // The teams by name; the order holds when the book is read again.
    QTest::mouseClick(teams->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(teams->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    const QStringList byName{u8("Атлетико Мадрид"), elided(longTeam), u8("Манчестер Сити"), u8("Ювентус")};
    EXPECT_EQ(column(0), byName);
    history.reread();
    EXPECT_EQ(column(0), byName);
}

TEST_F(HistoryWindow, AnOldFileShowsAnEmptyBookAndTheUndoRedoAndCorrectionSayThereIsNothing) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    ASSERT_TRUE(schema.ok());
    const QString text = QString::fromUtf8(schema.value());
    ASSERT_TRUE(
        createStatsDatabase(path(StatsDb::FileName), text.left(text.indexOf(u8("CREATE TABLE tournament")))).ok());
    start();
    openFromMenu();
    EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join(u'\n').toStdString();
    EXPECT_TRUE(listColumn(0).isEmpty());
    EXPECT_EQ(control<QLabel>("CrossTitle")->text(), u8("В истории нет ни одного турнира."));
    // The chart says why it is empty instead of showing bare axes.
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("ChartPage"));
    const auto *chart = program->form10().findChild<QChartView *>();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->chart()->title().contains(u8("нет ни одного турнира"))) << chart->chart()->title().toStdString();
    click("UndoButton");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(u8("Отменять нечего"))) << boxes.shown[0].text.toStdString();
    click("CorrectButton");
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_TRUE(boxes.shown[1].text.contains(u8("исправлять нечего"))) << boxes.shown[1].text.toStdString();
    click("RedoButton");
    ASSERT_EQ(boxes.shown.size(), 3U);
    EXPECT_TRUE(boxes.shown[2].text.startsWith(u8("Возвращать нечего"))) << boxes.shown[2].text.toStdString();
}

TEST_F(HistoryWindow, TheUndoAsksWithNoAsDefaultAndYesTakesTheNewestBackEverywhere) {
    start();
    const QStringList players{u8("Вася"), u8("Петя"), u8("Коля")};
    writeThroughResultWindow(players, {"2", "1", "1", "1", "0", "1", "1", "0", "3", "0", "2", "2"});
    const QStringList afterFirst = statRows(path(StatsDb::FileName));
    TForm10 &history = openFromMenu();
    ASSERT_EQ(listColumn(0).size(), 1);

    // A write of the result window shows in the open history window at once.
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")},
                             {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
    ASSERT_EQ(listColumn(0).size(), 2);
    const QStringList afterSecond = statRows(path(StatsDb::FileName));
    ASSERT_EQ(afterSecond.size(), 4);

    boxes.answers.push_back(Messages::Answer::No);
    click("UndoButton");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("Вася, Петя, Гена"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), afterSecond);
    EXPECT_EQ(listColumn(0).size(), 2);

    boxes.answers.push_back(Messages::Answer::Yes);
    click("UndoButton");
    EXPECT_EQ(boxes.shown.size(), 2U) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), afterFirst);
    EXPECT_EQ(listColumn(0).size(), 1);
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("HeadToHeadPage"));
    EXPECT_EQ(control<QComboBox>("FirstPlayer")->count(), 3) << "Гена played only the tournament taken back";
    // The result window's grid was read again: Гена's row is gone from it.
    const QAbstractItemModel *grid = findIn<QTableView>(&program->form9(), "DBGrid1")->model();
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_TRUE(history.isVisible());
}

TEST_F(HistoryWindow, TheExportWritesFourFilesOrNothingWhenADialogIsCancelled) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    start();
    TForm10 &history = openFromMenu();
    QStringList asked;
    QStringList answers{path(QStringLiteral("stat.csv")), QString()};
    history.setFileChooser([&](const QString &, const QString &suggested) {
        asked.append(suggested);
        return answers.value(asked.size() - 1);
    });
    click("ExportButton");
    EXPECT_EQ(asked, (QStringList{u8("Статистика.csv"), u8("Турниры.csv")}));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("stat.csv")))) << "a cancel writes nothing";
    EXPECT_TRUE(boxes.shown.empty());

    asked.clear();
    answers = {path(QStringLiteral("stat.csv")), path(QStringLiteral("tournaments.csv")),
               path(QStringLiteral("matches.csv")), path(QStringLiteral("ratings.csv"))};
    // The box says where the files went and offers their folder.
    boxes.answers.push_back(Messages::Answer::Yes);
    click("ExportButton");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_TRUE(boxes.shown[0].text.contains(QDir::toNativeSeparators(path(QStringLiteral("matches.csv")))))
        << boxes.shown[0].text.toStdString();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(QFileInfo(opened[0].toLocalFile()), QFileInfo(path(QString())));
    const QByteArray stat = read(QStringLiteral("stat.csv"));
    EXPECT_TRUE(stat.startsWith(QByteArray("\xEF\xBB\xBF") + u8("Номер;Игрок;Побед").toUtf8()));
    EXPECT_TRUE(stat.contains(u8("\r\n1;Аня;3;6;3;16;15;1;15;0;3;0\r\n").toUtf8()));
    EXPECT_EQ(read(QStringLiteral("tournaments.csv")).count("\r\n"), 10);
    EXPECT_TRUE(read(QStringLiteral("matches.csv"))
                    .contains(u8("\r\n1;2026-01-10 20:00:00;Аня;Милан;2;1;Боря;Рома\r\n").toUtf8()));
    // Every player's rating after every tournament he played, with a decimal comma.
    const QByteArray ratings = read(QStringLiteral("ratings.csv"));
    EXPECT_EQ(ratings.count("\r\n"), 10);
    EXPECT_TRUE(ratings.contains(u8("\r\n2;2026-01-17 20:00:00;Гена;").toUtf8())) << ratings.toStdString();
    EXPECT_TRUE(ratings.contains(','));

    // A file that cannot be written is named, and the others are still written.
    answers = {path(QStringLiteral("stat2.csv")), path(QStringLiteral("no-such-folder/t.csv")),
               path(QStringLiteral("matches2.csv")), path(QStringLiteral("ratings2.csv"))};
    asked.clear();
    click("ExportButton");
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("t.csv"))) << boxes.shown[1].text.toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("matches2.csv"))));
}

// Another program writes a tournament while the question is on screen: the
// answer was about the one named, which is no longer the newest.
TEST_F(HistoryWindow, TheUndoTakesNothingBackWhenAnotherProgramWroteWhileTheQuestionWasShown) {
    start();
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")},
                             {"2", "1", "1", "1", "0", "1", "1", "0", "3", "0", "2", "2"});
    openFromMenu();
    const QStringList before = statRows(path(StatsDb::FileName));
    bool written = false;
    boxes.onShow = [&] {
        if (!written) {
            written = true;
            execOnStats(path(StatsDb::FileName),
                        {QStringLiteral("INSERT INTO tournament (id, written) VALUES (50, '2026-12-31 23:00:00')"),
                         u8("INSERT INTO tournament_player (tournament, row, player, wins, draws, losses, scored, "
                            "conceded, difference, points, place) VALUES (50, 1, 'Гость', 0, 0, 0, 0, 0, 0, 0, 1)")});
        }
    };
    boxes.answers.push_back(Messages::Answer::Yes);
    click("UndoButton");
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.contains(u8("с тех пор в книгу записан другой турнир")))
        << boxes.shown[1].text.toStdString();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), before);
    EXPECT_EQ(listColumn(0).size(), 2) << "the window shows the book as it is now";
}

TEST_F(HistoryWindow, ABookThatCannotBeReadSaysSoAndIsReadAgainWhenShownOrATabIsChosen) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    start();
    {
        // Another program holds the file when the window is first opened.
        OtherProgram other(path(StatsDb::FileName));
        other.holdExclusive();
        TForm10 &history = openFromMenu();
        ASSERT_EQ(boxes.shown.size(), 1U);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(u8("История турниров не прочитана")))
            << boxes.shown[0].text.toStdString();
        EXPECT_TRUE(boxes.shown[0].text.contains(u8("занят другой программой")));
        EXPECT_TRUE(listColumn(0).isEmpty());
        EXPECT_TRUE(control<QLabel>("CrossTitle")->text().startsWith(u8("История турниров не прочитана")))
            << "never «no tournament at all»: " << control<QLabel>("CrossTitle")->text().toStdString();
        EXPECT_TRUE(control<QPushButton>("UndoButton")->isEnabled());
        history.hide();
    }
    // Once it lets go, choosing a tab or opening the window again reads the book.
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("HeadToHeadPage"));
    EXPECT_EQ(control<QComboBox>("FirstPlayer")->count(), 4);
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("TournamentsPage"));
    openFromMenu();
    EXPECT_EQ(listColumn(0).size(), 3);
    EXPECT_EQ(boxes.shown.size(), 1U);
}

TEST_F(HistoryWindow, AStatisticsFileThatIsGoneIsToldAndLookedForAgain) {
    start();
    ASSERT_TRUE(QFile::remove(path(StatsDb::FileName)));
    openFromMenu();
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(u8("История турниров не прочитана")))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("base.mdb")));
    EXPECT_TRUE(listColumn(0).isEmpty());
    makeStatsDatabase(path(StatsDb::FileName));
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("ChartPage"));
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("TournamentsPage"));
    EXPECT_EQ(boxes.shown.size(), 1U) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(control<QLabel>("CrossTitle")->text(), u8("В истории нет ни одного турнира."));
}

// A lock that comes while the question is on screen: the refusal is one box,
// and the window says in itself that it could not read the book again.
TEST_F(HistoryWindow, AnUndoRefusedUnderALockShowsOneBox) {
    start();
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")},
                             {"2", "1", "1", "1", "0", "1", "1", "0", "3", "0", "2", "2"});
    openFromMenu();
    const QStringList before = statRows(path(StatsDb::FileName));
    OtherProgram other(path(StatsDb::FileName));
    boxes.onShow = [&] {
        boxes.onShow = nullptr;
        other.holdExclusive();
    };
    boxes.answers.push_back(Messages::Answer::Yes);
    click("UndoButton");
    ASSERT_EQ(boxes.shown.size(), 2U) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(u8("Турнир не отменён"))) << boxes.shown[1].text.toStdString();
    EXPECT_TRUE(boxes.shown[1].text.contains(u8("занят другой программой")));
    EXPECT_TRUE(control<QLabel>("CrossTitle")->text().startsWith(u8("История турниров не прочитана")));
    other.release();
    EXPECT_EQ(statRows(path(StatsDb::FileName)), before);
}

// Six draws leave all three level: each shares the second place, and the list
// shows every one of them.
TEST_F(HistoryWindow, TheListShowsEveryPlayerOfAPlaceTheyShare) {
    start();
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")},
                             {"1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"});
    openFromMenu();
    EXPECT_EQ(listColumn(1), QStringList{QString()});
    EXPECT_EQ(listColumn(2), QStringList{u8("Вася — 4 очк., 4:4; Петя — 4 очк., 4:4; Коля — 4 очк., 4:4")});
    EXPECT_EQ(listColumn(3), QStringList{QString()});
}

TEST_F(HistoryWindow, TheExportRefusesOneFileForTwoTables) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    start();
    TForm10 &history = openFromMenu();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    // One file under two spellings.
    const QStringList answers{path(QStringLiteral("all.csv")), path(QStringLiteral("t.csv")),
                              path(QStringLiteral("sub/../all.csv"))};
    int asked = 0;
    history.setFileChooser([&](const QString &, const QString &) { return answers.value(asked++); });
    click("ExportButton");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("уже выбран для другой таблицы"))) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("Ничего не выгружено")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("all.csv"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("t.csv"))));
}

// A tab whose readings fail with the next of answers; an empty one reads well.
class ScriptedTab : public HistoryTab {
public:
    explicit ScriptedTab(QWidget *page) : HistoryTab(page, [] { return nullptr; }) {}

    QStringList answers;
    int reads = 0;

protected:
    Status read() override {
        const QString answer = answers.value(reads++);
        return answer.isEmpty() ? Status() : Status(Failure{answer});
    }
};

TEST(HistoryTab, ReadsOnlyWhenStaleAndTriesAFailedReadingAgain) {
    QWidget page;
    ScriptedTab tab(&page);
    tab.answers = {u8("Файл занят другой программой.")};
    const Status failed = tab.readIfStale();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), u8("Файл занят другой программой."));
    EXPECT_TRUE(tab.readIfStale().ok());
    EXPECT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(tab.reads, 2) << "a good reading stands until the book changes";
    tab.markStale();
    EXPECT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(tab.reads, 3);
}

// Each tab on its own, over controls of the test's own and a connection to the
// three tournaments of the book.
class HistoryTabs : public StatsFileTest {
protected:
    void SetUp() override {
        StatsFileTest::SetUp();
        makeStatsDatabase(path(StatsDb::FileName));
        execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    }
    HistoryTab::ConnectionSource source() {
        return [this]() -> const StatsConnection * { return connection.get(); };
    }
    // Declared before each tab, so that the tab goes before its controls.
    QWidget page;
};

TEST_F(HistoryTabs, TheListCutsALongNameAndGivesTheWholeNamesOnlyInTheTooltip) {
    const QString longName(100, u'Б');
    execOnStats(
        path(StatsDb::FileName),
        {QStringLiteral("UPDATE tournament_player SET player = '%1' WHERE tournament = 1 AND row = 2").arg(longName)});
    openConnection();
    auto *list = new QTableView(&page);
    auto *title = new QLabel(&page);
    TournamentsTab tab(&page, list, title, new QTableWidget(&page), source());
    ASSERT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(title->text(), u8("Турнир 24.01.2026 20:00")) << "the newest is shown first";

    // The oldest tournament: the long name took the first place, Аня the second.
    const QAbstractItemModel *model = list->model();
    EXPECT_EQ(model->index(2, 1).data().toString(), elided(longName) + u8(" («Рома») — 7 очк., 6:3"));
    EXPECT_EQ(model->index(2, 1).data(Qt::ToolTipRole).toString(), longName + u8(" («Рома») — 7 очк., 6:3"));
    EXPECT_EQ(model->index(2, 2).data().toString(), u8("Аня («Милан») — 5 очк., 5:6"));
    EXPECT_FALSE(model->index(2, 2).data(Qt::ToolTipRole).isValid()) << "nothing of it was cut";
}

TEST_F(HistoryTabs, TheHeadToHeadKeepsEachChosenPlayerWhileTheBookStillHasHim) {
    openConnection();
    auto *first = new QComboBox(&page);
    auto *second = new QComboBox(&page);
    auto *summary = new QLabel(&page);
    auto *matches = new QTableWidget(&page);
    HeadToHeadTab tab(&page, first, second, summary, matches, source());
    ASSERT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(first->currentData().toString(), u8("Аня"));
    EXPECT_EQ(second->currentData().toString(), u8("Боря"));
    first->setCurrentIndex(first->findData(u8("Гена")));
    second->setCurrentIndex(second->findData(u8("Вова")));
    EXPECT_EQ(summary->text(), u8("Гена против Вова: матчей 2, побед 0, ничьих 1, поражений 1, мячи 1:2"));

    tab.markStale();
    ASSERT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(first->currentData().toString(), u8("Гена"));
    EXPECT_EQ(second->currentData().toString(), u8("Вова"));

    // Гена played only the second tournament: without it the first list falls
    // back to its first player, and the pair is shown again.
    execOnStats(path(StatsDb::FileName), {QStringLiteral("DELETE FROM tournament_match WHERE tournament = 2"),
                                          QStringLiteral("DELETE FROM tournament_player WHERE tournament = 2"),
                                          QStringLiteral("DELETE FROM tournament WHERE id = 2")});
    tab.markStale();
    ASSERT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(first->count(), 3);
    EXPECT_EQ(first->currentData().toString(), u8("Аня"));
    EXPECT_EQ(second->currentData().toString(), u8("Вова"));
    EXPECT_EQ(summary->text(), u8("Аня против Вова: матчей 4, побед 0, ничьих 2, поражений 2, мячи 3:6"));
    EXPECT_EQ(matches->rowCount(), 4);
}

TEST_F(HistoryTabs, TheChartSaysItselfWhyItIsNotDrawnAndIsReadAgainWhenShownNext) {
    openConnection();
    ChartTab tab(&page, new QVBoxLayout(&page), source());
    {
        OtherProgram other(path(StatsDb::FileName));
        other.holdExclusive();
        EXPECT_TRUE(tab.readIfStale().ok()) << "the window adds no box of its own";
        ASSERT_EQ(boxes.shown.size(), 1U);
        EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(u8("Очки по турнирам не прочитаны")))
            << boxes.shown[0].text.toStdString();
        EXPECT_EQ(page.findChild<QChartView *>(), nullptr);
    }
    EXPECT_TRUE(tab.readIfStale().ok());
    EXPECT_EQ(boxes.shown.size(), 1U);
    const auto *chart = page.findChild<QChartView *>();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->chart()->series().size(), 4);
}

// "Исправить турнир..." on an older tournament: the boxes hold the book's
// scores, every change shows what saving would do, "Сохранить" asks with No
// first, and the saved correction is the newest change that the undo takes back.
TEST_F(HistoryWindow, ACorrectionPreviewsItsChangesSavesAfterAQuestionAndIsTheNewestChangeToUndo) {
    start();
    const QStringList scores{"2", "0", "0", "1", "0", "3", "1", "0", "3", "0", "2", "0"};
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Коля")}, scores);
    writeThroughResultWindow({u8("Вася"), u8("Петя"), u8("Гена")}, scores);
    const QString file = path(StatsDb::FileName);
    const QStringList before = dumpBookAndStat(file);
    const qsizetype backups = QDir(path(Backups::FolderName)).entryList({"*.mdb"}, QDir::Files).size();
    TForm10 &history = openFromMenu();
    auto *list = control<QTableView>("TournamentList");
    list->setCurrentIndex(list->model()->index(1, 0));
    click("CorrectButton");
    auto *window = history.findChild<CorrectionWindow *>();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    const auto box = [window](int k) { return findIn<QLineEdit>(window, QStringLiteral("Edit%1").arg(k).toLatin1()); };
    const auto label = [window](const char *name) { return findIn<QLabel>(window, name)->text(); };
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(box(k)->text(), scores[k - 1]) << "Edit" << k;
    }
    auto *save = findIn<QPushButton>(window, "SaveButton");
    EXPECT_FALSE(save->isEnabled()) << "nothing to save while the scores are the book's";

    // Петя beats Вася 3:0 after a 0:0: he is first on goal difference.
    box(1)->setText("0");
    box(3)->setText("3");
    box(4)->setText("0");
    EXPECT_EQ(label("Table1_9"), u8("1 → 2"));
    EXPECT_EQ(label("Table2_9"), u8("2 → 1"));
    EXPECT_EQ(label("Table2_4"), u8("3 → 7"));
    const auto *stat = findIn<QTableWidget>(window, "StatChanges");
    ASSERT_EQ(stat->rowCount(), 3);
    EXPECT_EQ(stat->item(0, 0)->text(), u8("Вася"));
    EXPECT_EQ(stat->item(0, 8)->text(), u8("2 → 1")) << "one title fewer";
    EXPECT_EQ(stat->item(1, 8)->text(), u8("0 → 1"));
    EXPECT_EQ(stat->item(2, 8)->text(), u8("0"));
    const auto *ratings = findIn<QTableWidget>(window, "RatingChanges");
    ASSERT_GE(ratings->rowCount(), 3);
    EXPECT_EQ(ratings->item(0, 0)->text(), u8("Вася"));
    EXPECT_NE(ratings->item(0, 1)->text(), ratings->item(0, 2)->text());
    EXPECT_TRUE(save->isEnabled());
    box(5)->setText(u8("три"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(label("State").contains(u8("«три»"))) << label("State").toStdString();
    box(5)->setText("0");

    boxes.answers.push_back(Messages::Answer::No);
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_EQ(dumpBookAndStat(file), before);
    ASSERT_TRUE(window->isVisible());

    const QPointer<CorrectionWindow> saved(window);
    boxes.answers.push_back(Messages::Answer::Yes);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(boxes.shown.size(), 2U) << boxes.texts().join(u'\n').toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(saved.isNull());
    EXPECT_EQ(statRows(file)[0], u8("Вася 6 1 1 15 3 12 19 1 1 0"));
    const QStringList corrected = dumpDatabase(file);
    // Every window reads again: the list, and the result window's grid.
    EXPECT_TRUE(listColumn(1).value(1).startsWith(u8("Петя"))) << listColumn(1).join(u',').toStdString();
    EXPECT_EQ(list->currentIndex().row(), 1) << "the corrected tournament stays selected";
    EXPECT_EQ(cell("CrossTable", 1, 0), u8("3 : 0"));
    const QAbstractItemModel *grid = findIn<QTableView>(&program->form9(), "DBGrid1")->model();
    EXPECT_EQ(grid->index(0, 9).data().toString(), QStringLiteral("1"));
    program->finishBackup();
    EXPECT_EQ(QDir(path(Backups::FolderName)).entryList({"*.mdb"}, QDir::Files).size(), backups + 1);

    EXPECT_EQ(control<QPushButton>("UndoButton")->text(), u8("Отменить последнее изменение..."));
    boxes.answers.push_back(Messages::Answer::Yes);
    click("UndoButton");
    ASSERT_EQ(boxes.shown.size(), 3U);
    EXPECT_TRUE(boxes.shown[2].text.contains(u8("исправление турнира от"))) << boxes.shown[2].text.toStdString();
    EXPECT_EQ(dumpBookAndStat(file), before);

    // The undo itself can be taken back.
    boxes.answers.push_back(Messages::Answer::Yes);
    click("RedoButton");
    ASSERT_EQ(boxes.shown.size(), 4U);
    EXPECT_TRUE(boxes.shown[3].text.startsWith(u8("Вернуть отменённое изменение книги турниров — исправление")))
        << boxes.shown[3].text.toStdString();
    EXPECT_EQ(dumpDatabase(file), corrected);
    EXPECT_EQ(statRows(file)[0], u8("Вася 6 1 1 15 3 12 19 1 1 0"));
    boxes.answers.push_back(Messages::Answer::Yes);
    click("UndoButton");
    ASSERT_EQ(dumpBookAndStat(file), before);

    // A restore from the backups closes the history's connection: an open
    // correction, which reads and saves through it, closes first.
    click("CorrectButton");
    const QPointer<CorrectionWindow> open(history.findChild<CorrectionWindow *>());
    ASSERT_FALSE(open.isNull());
    history.releaseConnection();
    EXPECT_TRUE(open.isNull());
}
