// A whole tournament through the program's windows: the first start in a data
// folder filled from the shipped files, the fill, the schedule, the final table,
// the scores and the statistics, and the next start.
#include "Cp1251.h"
#include "GiftAward.h"
#include "GiftCatalogue.h"
#include "Program.h"
#include "ProgramTest.h"
#include "StatsConnection.h"
#include "Unit1.h"
#include "Unit9.h"
#include "XlsxSpreadsheet.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class WholeTournament : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // The data folder as the launcher fills it on first use.
        const QDir shipped(QStringLiteral(KORVANA_DATA_DIR));
        for (const QString &file : shipped.entryList({"*.txt"}, QDir::Files)) {
            ASSERT_TRUE(QFile::copy(shipped.filePath(file), path(file))) << file.toStdString();
        }
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANA_BUILT_DATABASE), path(StatsDb::FileName)));
        ASSERT_TRUE(QFile::setPermissions(path(StatsDb::FileName), QFile::ReadOwner | QFile::WriteOwner));
    }
    TForm1 &startProgram() {
        TForm1 &form = start();
        form.setSpreadsheetFactory([this] { return makeXlsxSpreadsheet(sheets.path()); });
        return form;
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QString field(const char *name) const { return find<QLineEdit>(name)->text(); }
    QWidget *results() const { return &program->form9(); }

    QTemporaryDir sheets;
};

TEST_F(WholeTournament, FromTheFirstStartToTheStatisticsAndTheNextStart) {
    // First start: no settings yet, so they are written and the kind is asked.
    boxes.answers = {Messages::Answer::Yes};
    startProgram();
    EXPECT_EQ(boxes.texts().value(0), kSettingsCreatedMessage);
    EXPECT_TRUE(program->form1().windowTitle().contains(QStringLiteral("Клубы")));
    EXPECT_EQ(text("Label16"), "Player 1");

    button("Button2")->click();
    const QStringList teams = {field("Edit1"), field("Edit2"), field("Edit3")};
    button("Button1")->click();
    const std::array<QString, 3> order = {text("Label7"), text("Label8"), text("Label10")};
    boxes.shown.clear();
    button("BitBtn1")->click();

    EXPECT_EQ(opened.size(), 1u) << "the sheet went to the desktop";
    EXPECT_TRUE(boxes.texts().contains(kGiftsDrawnMessage)) << boxes.texts().join('\n').toStdString();
    ASSERT_TRUE(results()->isVisible());
    for (int row = 0; row < 3; ++row) {
        const QString player = QStringLiteral("Player %1").arg(teams.indexOf(order[row]) + 1);
        EXPECT_EQ(findIn<QLabel>(results(), ("Label" + std::to_string(3 + row)).c_str())->text(), order[row]);
        EXPECT_EQ(findIn<QLabel>(results(), ("Label" + std::to_string(29 + row)).c_str())->text(), player);
    }

    // The scores: the first row's participant wins three of his four matches and
    // draws the fourth; the two others draw both of their matches.
    const QStringList scores = {"2", "0", "1", "1", "0", "2", "1", "1", "2", "0", "1", "1"};
    for (int box = 1; box <= 12; ++box) {
        QLineEdit *edit = findIn<QLineEdit>(results(), ("Edit" + std::to_string(box)).c_str());
        edit->clear();
        QTest::keyClicks(edit, scores[box - 1]);
    }
    QTest::mouseClick(findIn<QPushButton>(results(), "Button1"), Qt::LeftButton);
    EXPECT_EQ(findIn<QLabel>(results(), "Label43")->text(), "1");
    QTest::mouseClick(findIn<QPushButton>(results(), "BitBtn1"), Qt::LeftButton);
    const QStringList rows = statRows(path(StatsDb::FileName));
    ASSERT_EQ(rows.size(), 3) << rows.join('\n').toStdString();
    const QString winner = QStringLiteral("Player %1").arg(teams.indexOf(order[0]) + 1);
    // Player, wins, draws, losses, scored, conceded, difference, points, first, second, third.
    EXPECT_TRUE(rows.contains(winner + " 3 1 0 7 1 6 10 1 0 0")) << rows.join('\n').toStdString();
    results()->hide();

    // Play on until the scorer's prize is the free choice of team: every press
    // draws the gifts anew.
    const QByteArray teamChoice = toCp1251(giftPicturePath(kTeamChoicePicture)).value();
    for (int press = 0; press < 50 && splitLines(read(DataFile::Gift)).value(0) != teamChoice; ++press) {
        button("BitBtn1")->click();
    }
    ASSERT_EQ(splitLines(read(DataFile::Gift)).value(0), teamChoice);
    results()->hide();

    // The next start shows this tournament as the previous one and lets the
    // players choose their own teams.
    program.reset();
    boxes.answers = {Messages::Answer::Yes};
    startProgram();
    EXPECT_EQ(text("Label22"), teams[0]);
    EXPECT_EQ(text("Label23"), teams[1]);
    EXPECT_EQ(text("Label24"), teams[2]);
    EXPECT_EQ(text("Label29"), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    for (const char *own : {"ComboBox5", "ComboBox6", "ComboBox7"}) {
        EXPECT_TRUE(find<QComboBox>(own)->isEnabled()) << own;
    }
    const Lines log = splitLines(read(DataFile::UsedTeamsLog));
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(fromCp1251(log[0]), teams[0]);
}
