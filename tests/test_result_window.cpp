#include "Program.h"
#include "ProgramTest.h"
#include "StatsConnection.h"
#include "Unit1.h"
#include "Unit9.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <sqlite3.h>

namespace {

// A worked example, as Edit1 to Edit12.
const QStringList kExample{"2", "1", "1", "1", "0", "1", "1", "0", "3", "0", "2", "2"};

// The labels of one row: scored, conceded, difference, points, wins, draws, losses, player, place.
const char *const kRowLabels[3][9] = {
    {"Label15", "Label16", "Label18", "Label19", "Label33", "Label34", "Label35", "Label29", "Label43"},
    {"Label20", "Label21", "Label22", "Label23", "Label36", "Label37", "Label38", "Label30", "Label44"},
    {"Label24", "Label25", "Label26", "Label27", "Label39", "Label40", "Label41", "Label31", "Label45"},
};

} // namespace

// The result window on its own, over a fresh statistics database.
class ResultWindow : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        makeStatsDatabase(path(StatsDb::FileName));
    }
    void TearDown() override {
        if (form) {
            form->hide();
        }
        form.reset();
        EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty()) << "the window removes its connection";
        ProgramTest::TearDown();
    }

    TForm9 &open() {
        form = std::make_unique<TForm9>(TForm9::openDatabase(kTestLockWait), QDate::currentDate());
        return *form;
    }
    template <typename T> T *control(const char *name) const { return findIn<T>(form.get(), name); }
    QString label(const char *name) const { return control<QLabel>(name)->text(); }
    QLineEdit *edit(int number) const { return control<QLineEdit>(QStringLiteral("Edit%1").arg(number).toLatin1()); }
    QTableView *grid() const { return control<QTableView>("DBGrid1"); }
    void click(const char *button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

    // Types the twelve scores as a user would.
    void typeScores(const QStringList &scores) const {
        for (int k = 0; k < 12; ++k) {
            edit(k + 1)->selectAll();
            QTest::keyClick(edit(k + 1), Qt::Key_Delete);
            QTest::keyClicks(edit(k + 1), scores[k]);
        }
    }
    QStringList row(int r) const {
        QStringList texts;
        for (const char *name : kRowLabels[r]) {
            texts.append(label(name));
        }
        return texts;
    }
    QStringList gridColumn(int column) const {
        QAbstractItemModel *model = grid()->model();
        while (model->canFetchMore({})) {
            model->fetchMore({});
        }
        QStringList values;
        for (int r = 0; r < model->rowCount(); ++r) {
            values.append(model->index(r, column).data().toString());
        }
        return values;
    }
    QStringList rows() const { return statRows(path(StatsDb::FileName)); }
    QString databasePath() const { return QDir::toNativeSeparators(path(StatsDb::FileName)); }

    void clickTitle(int column) const {
        QHeaderView *header = grid()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    // Vasya, Petya and Kolya with the worked example computed, ready to be written.
    void computeExample() {
        if (!form) {
            open();
        }
        form->openForStatistics({QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")});
        click("Button2");
        typeScores(kExample);
        click("Button1");
    }
    // The window's own connection to the database.
    static QSqlDatabase windowDatabase() {
        for (const QString &name : QSqlDatabase::connectionNames()) {
            if (name.startsWith(QStringLiteral("korvana-stat-"))) {
                return QSqlDatabase::database(name, false);
            }
        }
        ADD_FAILURE() << "the window has no connection";
        return {};
    }

    std::unique_ptr<TForm9> form;
};

TEST_F(ResultWindow, StartsAsTheLayoutSays) {
    TForm9 &window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Введите результаты турнира"));
    EXPECT_EQ(window.size(), QSize(785, 422)) << "the client area of a 793 x 449 window";
    EXPECT_EQ(window.pos(), QPoint(212, 125));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(label("Label1") + label("Label2"),
              QStringLiteral("Турнир ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isDefault());
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->icon().isNull());
    EXPECT_TRUE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);

    // Tab order: Button1, BitBtn1, Edit1 to Edit12, DBGrid1, Button2.
    QStringList chain;
    QWidget *widget = control<QPushButton>("Button1");
    for (int k = 0; k < 16; ++k) {
        chain.append(widget->objectName());
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(chain, (QStringList{"Button1", "BitBtn1", "Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7",
                                  "Edit8", "Edit9", "Edit10", "Edit11", "Edit12", "DBGrid1", "Button2"}));

    QTableView *table = grid();
    EXPECT_EQ(table->geometry(), QRect(8, 280, 777, 137));
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(table->verticalHeader()->isHidden()) << "a row indicator";
    EXPECT_EQ(table->horizontalHeader()->sectionResizeMode(3), QHeaderView::Interactive);
    QStringList titles;
    QList<int> widths;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        titles.append(table->model()->headerData(column, Qt::Horizontal).toString());
        widths.append(table->columnWidth(column));
    }
    EXPECT_EQ(titles, (QStringList{"id", "Игрок", "Побед", "Ничьих", "Поражений", "Забито", "Пропущено", "Разница",
                                   "Очки", "Первый", "Второй", "Третий"}));
    EXPECT_EQ(widths, (QList<int>{30, 70, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63}));
}

TEST_F(ResultWindow, ComputesTypedScoresAndWritesThemWithEnter) {
    open().openForStatistics({QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")});
    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled()) << "opening for viewing changes no button";
    click("Button2");
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());

    typeScores(kExample);
    click("Button1");
    EXPECT_EQ(row(0), (QStringList{"7", "2", "5", "10", "3", "1", "0", "Вася", "1"}));
    EXPECT_EQ(row(1), (QStringList{"4", "6", "-2", "2", "0", "2", "2", "Петя", "3"}));
    EXPECT_EQ(row(2), (QStringList{"3", "6", "-3", "4", "1", "1", "2", "Коля", "2"}));

    QProgressBar *progress = control<QProgressBar>("ProgressBar1");
    QSignalSpy steps(progress, &QProgressBar::valueChanged);
    QTest::keyClick(edit(5), Qt::Key_Return);
    EXPECT_EQ(steps.count(), 3);
    EXPECT_EQ(steps.value(0).value(0).toInt(), 33);
    EXPECT_EQ(steps.value(1).value(0).toInt(), 66);
    EXPECT_EQ(progress->value(), 100);
    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_EQ(rows(),
              (QStringList{"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 0 2 2 4 6 -2 2 0 0 1", "Коля 1 1 2 3 6 -3 4 0 1 0"}));
    EXPECT_EQ(gridColumn(1), (QStringList{"Вася", "Коля", "Петя"})) << "the grid was read afresh";

    QTest::keyClick(edit(5), Qt::Key_Return);
    EXPECT_EQ(rows().size(), 3) << "Enter does nothing while the button is disabled";

    // The next tournament of the same players adds to their rows.
    click("Button2");
    EXPECT_EQ(progress->value(), 0);
    typeScores({"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
    click("Button1");
    EXPECT_EQ(row(1), (QStringList{"0", "0", "0", "4", "0", "4", "0", "Петя", "2"}));
    click("BitBtn1");
    EXPECT_EQ(rows(),
              (QStringList{"Вася 3 5 0 7 2 5 14 1 1 0", "Петя 0 6 2 4 6 -2 6 0 1 1", "Коля 1 5 2 3 6 -3 8 0 2 0"}));
    EXPECT_EQ(gridColumn(8), (QStringList{"14", "8", "6"}));
}

TEST_F(ResultWindow, ABoxThatIsNotAnIntegerStopsTheComputationWhereItWas) {
    open().openAfterFinalTable({{QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")},
                                {QStringLiteral("Реал"), QStringLiteral("Бавария"), QStringLiteral("Зенит")}});
    EXPECT_EQ(label("Label4"), QStringLiteral("Бавария"));
    EXPECT_EQ(label("Label7"), QStringLiteral("Бавария"));
    EXPECT_EQ(label("Label31"), QStringLiteral("Коля"));
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());

    QStringList scores = kExample;
    scores[6] = QStringLiteral("x"); // Edit7, first read for row 2's conceded goals
    typeScores(scores);
    click("Button1");
    EXPECT_EQ(boxes.texts(), QStringList{"'x' is not a valid integer value"});
    EXPECT_EQ(row(0), (QStringList{"7", "2", "5", "10", "3", "1", "0", "Вася", "0"}));
    EXPECT_EQ(row(1), (QStringList{"4", "00", "00", "00", "00", "00", "00", "Петя", "0"}));
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());

    typeScores(kExample);
    click("Button1");
    EXPECT_EQ(row(1), (QStringList{"4", "6", "-2", "2", "0", "2", "2", "Петя", "3"}));
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    form->hide();
}

TEST_F(ResultWindow, AWriteWithoutAComputationWritesNothingAndSaysWhy) {
    open();
    click("Button2");
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("«Посчитать результат»")));
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);
}

TEST_F(ResultWindow, AFailedWriteStoresNothingKeepsTheButtonsAndARetryCountsOnce) {
    // More rows than a grid that reads as it scrolls would read at once.
    QStringList statements;
    for (int k = 0; k < 300; ++k) {
        statements.append(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('игрок %1')").arg(k));
    }
    statements.append(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON stat WHEN NEW.Игрок = 'Коля' "
                                     "BEGIN SELECT RAISE(ABORT, 'Коля refused'); END"));
    execOnStats(path(StatsDb::FileName), statements);
    open().openForStatistics({QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")});
    click("Button2");
    typeScores(kExample);
    click("Button1");
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Коля refused"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(rows().size(), 300) << "nothing of the three players";
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_EQ(gridColumn(0).size(), 300);

    execOnStats(path(StatsDb::FileName), {QStringLiteral("DROP TRIGGER refuse")});
    click("BitBtn1");
    EXPECT_EQ(rows().mid(300),
              (QStringList{"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 0 2 2 4 6 -2 2 0 0 1", "Коля 1 1 2 3 6 -3 4 0 1 0"}));
    EXPECT_EQ(gridColumn(0).size(), 303);
}

TEST_F(ResultWindow, TheBookRecordsTheScoreBoxesAndTheTeamsOnlyOnceTheFinalTableSetThem) {
    const auto select = [](const QString &statement) {
        QSqlQuery query(windowDatabase());
        EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        QStringList values;
        while (query.next()) {
            values.append(query.isNull(0) ? QStringLiteral("NULL") : query.value(0).toString());
        }
        return values;
    };
    computeExample();
    click("BitBtn1");
    EXPECT_EQ(select(QStringLiteral("SELECT team FROM tournament_player ORDER BY row")),
              (QStringList{"NULL", "NULL", "NULL"}))
        << "the placeholders Label3 to Label5 are no teams";
    EXPECT_EQ(select(QStringLiteral("SELECT home_goals || ':' || away_goals FROM tournament_match "
                                    "ORDER BY home_row, away_row")),
              (QStringList{"2:1", "3:0", "1:1", "2:2", "0:1", "1:0"}));

    form->openAfterFinalTable({{"Вася", "Петя", "Коля"}, {"Арсенал", "Милан", "Порту"}});
    click("Button1");
    click("BitBtn1");
    EXPECT_EQ(select(QStringLiteral("SELECT team FROM tournament_player WHERE tournament=2 ORDER BY row")),
              (QStringList{"Арсенал", "Милан", "Порту"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ResultWindow, TitleClicksOrderTheGridAndTheOrderAndWidthsSurviveAWrite) {
    execOnStats(path(StatsDb::FileName),
                {QStringLiteral("INSERT INTO stat (Игрок, Очки) VALUES ('Яна', 5), ('аня', 1), ('Ёжик', 9)")});
    TForm9 &window = open();
    window.openForStatistics({QStringLiteral("Борис"), QStringLiteral("Ежов"), QStringLiteral("Алла")});
    EXPECT_EQ(gridColumn(1), (QStringList{"Ёжик", "Яна", "аня"})) << "the index user";

    QHeaderView *header = grid()->horizontalHeader();
    clickTitle(8);
    EXPECT_EQ(gridColumn(8), (QStringList{"1", "5", "9"}));
    clickTitle(8);
    EXPECT_EQ(gridColumn(8), (QStringList{"1", "5", "9"})) << "no descending order";
    clickTitle(1);
    EXPECT_EQ(gridColumn(1), (QStringList{"аня", "Ёжик", "Яна"}));

    header->resizeSection(1, 120);
    click("Button2");
    typeScores(kExample);
    click("Button1");
    click("BitBtn1");
    EXPECT_EQ(gridColumn(1), (QStringList{"Алла", "аня", "Борис", "Ёжик", "Ежов", "Яна"}));
    EXPECT_EQ(grid()->columnWidth(1), 120);
    EXPECT_EQ(grid()->columnWidth(0), 30);
}

TEST_F(ResultWindow, CtrlDeleteDeletesTheCurrentRowAfterTheQuestion) {
    execOnStats(path(StatsDb::FileName), {QStringLiteral("INSERT INTO stat (Игрок) VALUES ('А'), ('Б'), ('В')")});
    open().openForStatistics({});
    grid()->setCurrentIndex(grid()->model()->index(1, 1));
    boxes.answers = {Messages::Answer::Cancel, Messages::Answer::Ok};
    QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(rows().size(), 3);
    QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(boxes.texts(), (QStringList{"Delete record?", "Delete record?"}));
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::OkCancel);
    EXPECT_EQ(rows(), (QStringList{"А 0 0 0 0 0 0 0 0 0 0", "В 0 0 0 0 0 0 0 0 0 0"}));
    EXPECT_EQ(gridColumn(1), (QStringList{"А", "В"}));
    QTest::keyClick(grid(), Qt::Key_Delete);
    EXPECT_EQ(boxes.shown.size(), 2u) << "Delete alone deletes nothing";
}

TEST_F(ResultWindow, AnotherProgramsLockFailsTheWriteWithOneMessageAndARetryCountsOnce) {
    execOnStats(path(StatsDb::FileName), {QStringLiteral("INSERT INTO stat (Игрок) VALUES ('Алла'), ('Яна')")});
    OtherProgram other(path(StatsDb::FileName));
    const std::pair<const char *, std::function<void()>> locks[] = {
        {"a write in progress", [&other] { other.holdExclusive(); }},
        {"an open read", [&other] { other.holdRead(); }},
    };
    open();
    const QStringList before = rows();
    // The rows after n tournaments.
    const auto tournaments = [&before](int n) {
        QStringList expected = before;
        if (n == 0) {
            return expected;
        }
        for (const char *figures :
             {"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 0 2 2 4 6 -2 2 0 0 1", "Коля 1 1 2 3 6 -3 4 0 1 0"}) {
            QStringList fields = QString::fromUtf8(figures).split(u' ');
            for (qsizetype k = 1; k < fields.size(); ++k) {
                fields[k] = QString::number(fields[k].toInt() * n);
            }
            expected.append(fields.join(u' '));
        }
        return expected;
    };
    std::vector<bool> waitCursorAtProgress;
    std::vector<bool> cursorAtMessage;
    QObject::connect(control<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged,
                     [&waitCursorAtProgress](int value) {
                         if (value > 0) {
                             waitCursorAtProgress.push_back(QApplication::overrideCursor() &&
                                                            QApplication::overrideCursor()->shape() == Qt::WaitCursor);
                         }
                     });
    boxes.onShow = [&cursorAtMessage] { cursorAtMessage.push_back(QApplication::overrideCursor() != nullptr); };
    int written = 0;
    for (const auto &[lock, hold] : locks) {
        SCOPED_TRACE(lock);
        computeExample();
        const QStringList shown = gridColumn(1);
        boxes.shown.clear();
        cursorAtMessage.clear();
        hold();
        click("BitBtn1");
        ASSERT_EQ(boxes.shown.size(), 1u) << "one message, and no reading of the grid after the failure";
        const QString message = boxes.shown[0].text;
        EXPECT_TRUE(message.contains(QStringLiteral("занят другой программой"))) << message.toStdString();
        EXPECT_TRUE(message.contains(databasePath())) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("ничего не записано"))) << message.toStdString();
        EXPECT_EQ(cursorAtMessage, std::vector<bool>{false}) << "the wait cursor is gone before the message";
        EXPECT_EQ(gridColumn(1), shown);
        EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);
        EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
        EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());

        other.release();
        EXPECT_EQ(rows(), tournaments(written));
        click("BitBtn1");
        EXPECT_EQ(boxes.shown.size(), 1u) << "the retry succeeds without a word";
        EXPECT_EQ(rows(), tournaments(++written)) << "each player once";
        EXPECT_EQ(gridColumn(1), (QStringList{"Алла", "Вася", "Коля", "Петя", "Яна"}));
        EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
    }
    EXPECT_FALSE(waitCursorAtProgress.empty());
    EXPECT_EQ(std::count(waitCursorAtProgress.begin(), waitCursorAtProgress.end(), false), 0)
        << "the wait cursor while the rows are written";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ResultWindow, AWriteRefusedAsReadOnlyNamesTheFileAndTheCause) {
    computeExample();
    // The connection refuses to write, as SQLite does for a file it may only read.
    QSqlQuery pragma(windowDatabase());
    ASSERT_TRUE(pragma.exec(QStringLiteral("PRAGMA query_only = ON")));
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    const QString message = boxes.shown[0].text;
    EXPECT_TRUE(message.contains(QStringLiteral("только для чтения"))) << message.toStdString();
    EXPECT_TRUE(message.contains(databasePath())) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("ничего не записано"))) << message.toStdString();
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());

    ASSERT_TRUE(pragma.exec(QStringLiteral("PRAGMA query_only = OFF")));
    click("BitBtn1");
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(rows().size(), 3);
}

TEST_F(ResultWindow, AWriteThatCommittedIsReportedAsWrittenWhenTheGridCannotBeReadAgain) {
    execOnStats(path(StatsDb::FileName), {QStringLiteral("INSERT INTO stat (Игрок) VALUES ('Алла')")});
    computeExample();
    clickTitle(1);
    // The connection may no longer read the ids unless it holds the file for
    // writing: every reading of the grid needs them, the write reads them while
    // it holds the file.
    sqlite3 *handle = *static_cast<sqlite3 *const *>(windowDatabase().driver()->handle().constData());
    sqlite3_set_authorizer(
        handle,
        [](void *db, int action, const char *, const char *column, const char *, const char *) {
            const bool writing = sqlite3_txn_state(static_cast<sqlite3 *>(db), "main") == SQLITE_TXN_WRITE;
            return action == SQLITE_READ && column && qstrcmp(column, "id") == 0 && !writing ? SQLITE_DENY : SQLITE_OK;
        },
        handle);
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    const QString message = boxes.shown[0].text;
    EXPECT_TRUE(message.startsWith(QStringLiteral("Результаты записаны в базу, но таблицу статистики не удалось")))
        << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("ничего не записано")));
    EXPECT_EQ(rows().size(), 4);
    EXPECT_EQ(gridColumn(1), QStringList{"Алла"}) << "the rows shown before";
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 100);
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled());
}

TEST_F(ResultWindow, TheIdleWindowLeavesALargeTableFreeForOtherPrograms) {
    QStringList statements;
    for (int k = 0; k < 300; ++k) {
        statements.append(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('игрок %1')").arg(k, 3, 10, QChar(u'0')));
    }
    execOnStats(path(StatsDb::FileName), statements);
    open().show();
    OtherProgram other(path(StatsDb::FileName));
    EXPECT_TRUE(other.writesAtOnce()) << "after the first reading";
    EXPECT_EQ(grid()->model()->rowCount(), 300);
    // The rows at the end are read as the grid shows them.
    grid()->scrollToBottom();
    grid()->viewport()->repaint();
    const QModelIndex last = grid()->model()->index(299, 1);
    EXPECT_TRUE(grid()->viewport()->rect().intersects(grid()->visualRect(last)));
    EXPECT_EQ(last.data().toString(), QStringLiteral("игрок 299"));
    EXPECT_TRUE(other.writesAtOnce()) << "after the grid was scrolled to the end";
    clickTitle(1);
    EXPECT_TRUE(other.writesAtOnce()) << "after a new order";
    computeExample();
    click("BitBtn1");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(other.writesAtOnce()) << "after a write";
    EXPECT_EQ(grid()->model()->rowCount(), 303);
}

TEST_F(ResultWindow, EditingAScoreAfterTheComputationDisablesTheWriteUntilTheNext) {
    computeExample();
    const QStringList computed = row(0);
    ASSERT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    QTest::keyClicks(edit(1), QStringLiteral("1"));
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
    QTest::keyClick(edit(1), Qt::Key_Return);
    EXPECT_TRUE(rows().isEmpty()) << "the figures shown no longer follow from the scores";
    EXPECT_TRUE(boxes.shown.empty());

    click("Button1");
    ASSERT_NE(row(0), computed);
    EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    QTest::keyClick(edit(1), Qt::Key_Return);
    const QStringList figures = row(0);
    EXPECT_EQ(rows().value(0), QStringList({figures[7], figures[4], figures[5], figures[6], figures[0], figures[1],
                                            figures[2], figures[3], "1", "0", "0"})
                                   .join(u' '));
}

// "Внести данные вручную" enables the write again after a box was edited: the
// figures on show no longer follow from the boxes, and the book would keep
// matches that do not give them.
TEST_F(ResultWindow, AWriteAfterAScoreWasEditedWithoutAComputationIsRefused) {
    computeExample();
    const QStringList computed = row(0);
    edit(1)->setText(QStringLiteral("7"));
    click("Button2");
    ASSERT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Нажмите «Посчитать результат»")))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(row(0), computed);

    click("Button1");
    click("BitBtn1");
    EXPECT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(rows().value(0).split(u' ').value(4), QStringLiteral("12")) << "the new score counts";
}

// A score that is a whole number too big for the window's computation stops the
// computation; a write forced by "Внести данные вручную" must not book it beside
// the figures of the earlier computation.
TEST_F(ResultWindow, AScoreTooBigToComputeIsNotWrittenBesideOldFigures) {
    computeExample();
    edit(1)->setText(QStringLiteral("3000000000"));
    click("Button1");
    ASSERT_EQ(boxes.shown.size(), 1U);
    click("Button2");
    click("BitBtn1");
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("Нажмите «Посчитать результат»")))
        << boxes.shown[1].text.toStdString();
    EXPECT_TRUE(rows().isEmpty());
}

// A tournament entered by hand after a played one, in the same run: the names
// are reset by "Статистика...", the titles still show the last teams, which
// belong to nobody of this tournament.
TEST_F(ResultWindow, TheBookTakesATeamOnlyForThePlayerTheFinalTablePutBesideIt) {
    const auto teams = [] {
        QSqlQuery query(windowDatabase());
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT tournament, coalesce(team, 'NULL') FROM tournament_player "
                                              "ORDER BY tournament, row")));
        QStringList values;
        while (query.next()) {
            values.append(query.value(0).toString() + u' ' + query.value(1).toString());
        }
        return values;
    };
    open().openAfterFinalTable({{"Вася", "Петя", "Коля"}, {"Арсенал", "Милан", "Порту"}});
    // A look at the statistics with the same players keeps the teams theirs.
    form->openForStatistics({QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")});
    typeScores(kExample);
    click("Button1");
    click("BitBtn1");
    // The next one by hand, with other players in two rows.
    form->openForStatistics({QStringLiteral("Вася"), QStringLiteral("Гена"), QStringLiteral("Петя")});
    click("Button2");
    click("Button1");
    click("BitBtn1");
    // And one by hand with the very same players: the teams were of the first.
    form->openForStatistics({QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")});
    click("Button2");
    click("Button1");
    click("BitBtn1");
    EXPECT_EQ(teams(), (QStringList{"1 Арсенал", "1 Милан", "1 Порту", "2 NULL", "2 NULL", "2 NULL", "3 NULL", "3 NULL",
                                    "3 NULL"}));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(ResultWindow, GridActionsUnderAnotherProgramsLockChangeNothingAndSayWhy) {
    execOnStats(path(StatsDb::FileName),
                {QStringLiteral("INSERT INTO stat (Игрок, Очки) VALUES ('А', 3), ('Б', 2), ('В', 1)")});
    open().openForStatistics({});
    grid()->setCurrentIndex(grid()->model()->index(1, 1));
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    boxes.answers = {Messages::Answer::Ok};
    QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
    clickTitle(8);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("не удалена"))) << boxes.shown[1].text.toStdString();
    EXPECT_TRUE(boxes.shown[2].text.contains(QStringLiteral("не удалось перечитать")))
        << boxes.shown[2].text.toStdString();
    for (const std::size_t k : {1u, 2u}) {
        EXPECT_TRUE(boxes.shown[k].text.contains(QStringLiteral("занят другой программой")));
        EXPECT_TRUE(boxes.shown[k].text.contains(databasePath()));
    }
    EXPECT_EQ(gridColumn(1), (QStringList{"А", "Б", "В"}));

    other.release();
    EXPECT_EQ(rows().size(), 3);
    clickTitle(8);
    EXPECT_EQ(gridColumn(1), (QStringList{"В", "Б", "А"})) << "the same click once the file is free";
}

// The result window within the whole program.
class ResultWindowInProgram : public ProgramTest {};

TEST_F(ResultWindowInProgram, OpensFromStatisticsWithThePlayerNames) {
    writeStandardFiles();
    TForm1 &main = start();
    TForm9 &window = program->form9();
    findIn<QAction>(&main, "N6")->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(findIn<QLabel>(&window, "Label29")->text(), QStringLiteral("Вася"));
    EXPECT_EQ(findIn<QLabel>(&window, "Label31")->text(), QStringLiteral("Коля"));
    EXPECT_FALSE(findIn<QPushButton>(&window, "Button1")->isEnabled());
    EXPECT_FALSE(findIn<QPushButton>(&window, "BitBtn1")->isEnabled());
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ResultWindowInProgram, ADatabaseThatCannotBeOpenedEndsTheProgramAfterAMessage) {
    writeStandardFiles();
    makeDatabase = false;
    start();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("File not found")));
    EXPECT_TRUE(boxes.shown[0].text.contains(StatsDb::FileName));
    EXPECT_EQ(endedWith, std::vector<int>{1});
    EXPECT_FALSE(QFile::exists(path(StatsDb::FileName)));

    program.reset();
    boxes.shown.clear();
    endedWith.clear();
    write(StatsDb::FileName, QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20) + QByteArray(4096, '\0'));
    start();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Microsoft Access")));
    EXPECT_EQ(endedWith, std::vector<int>{1});

    // Another program's write in progress outlasts the wait.
    program.reset();
    boxes.shown.clear();
    endedWith.clear();
    ASSERT_TRUE(QFile::remove(path(StatsDb::FileName)));
    makeStatsDatabase(path(StatsDb::FileName));
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    start();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("занят другой программой")))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QDir::toNativeSeparators(path(StatsDb::FileName))));
    // The program closes: there is nothing to try again in it.
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("программа будет закрыта")));
    EXPECT_FALSE(boxes.shown[0].text.contains(QStringLiteral("попробуйте снова")));
    EXPECT_EQ(endedWith, std::vector<int>{1});
}

// The file was checked at the start; when another program holds it by the time
// the window is first wanted, the window still opens, says why its grid is empty
// and reads the table with the next reading.
TEST_F(ResultWindowInProgram, AFileHeldWhenTheWindowIsFirstWantedLeavesTheGridEmptyUntilTheNextReading) {
    writeStandardFiles();
    start();
    execOnStats(path(StatsDb::FileName), {QStringLiteral("INSERT INTO stat (Игрок, Побед, Ничьих, Поражений, Забито, "
                                                         "Пропущено, Разница, Очки, Первый, Второй, Третий) "
                                                         "VALUES ('Вася', 1, 0, 1, 3, 3, 0, 3, 1, 0, 0)")});
    auto other = std::make_unique<OtherProgram>(path(StatsDb::FileName));
    other->holdExclusive();
    findIn<QAction>(&program->form1(), "N6")->trigger();
    TForm9 &window = program->form9();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("занят другой программой")))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(endedWith.empty()) << "the program goes on";
    const QAbstractItemModel *grid = findIn<QTableView>(&window, "DBGrid1")->model();
    EXPECT_EQ(grid->rowCount(), 0);

    other.reset();
    QHeaderView *header = findIn<QTableView>(&window, "DBGrid1")->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(8) + 5, header->height() / 2));
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->index(0, 1).data().toString(), QStringLiteral("Вася"));
    window.close();
}
