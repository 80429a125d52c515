#include "Program.h"
#include "ProgramTest.h"
#include "Text.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

class MainWindow : public ProgramTest {};

TEST_F(MainWindow, ShowsTheRunAfterAFullStart) {
    writeStandardFiles(0, 0, 0, 0, 0);
    writeLines(DataFile::Teams45,
               {cp("Ювентус"), cp("арсенал"), cp("Барселона"), cp("Милан"), cp("ёжики"), cp("Динамо"), cp("Ак Барс")});
    writeLines(DataFile::NatTeams5, teams("nat", 3));
    writeLines(DataFile::UsedTeamsLog, {cp("Милан")});
    boxes.answers = {Messages::Answer::Yes};
    writeSettings(
        {"1", "clubs", "[players]", cp("Вася"), cp("Петя"), cp("Коля"), "[gift]", "1", "[log all teams]", "1"});
    TForm1 &form = start();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvana 3.9 beta - Клубы 4,5*"));
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));
    EXPECT_EQ(text("Label17"), QStringLiteral("Петя"));
    EXPECT_EQ(text("Label18"), QStringLiteral("Коля"));
    EXPECT_EQ(text("Label22"), QStringLiteral("Ливерпуль"));
    EXPECT_EQ(text("Label23"), QStringLiteral("Наполи"));
    EXPECT_EQ(text("Label24"), QStringLiteral("Зенит"));
    EXPECT_EQ(text("Label29"), QStringLiteral("01.12.2026"));
    EXPECT_TRUE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("CheckBox3")->isChecked()) << "checking CheckBox4 unchecks CheckBox3";

    const QStringList sorted{QStringLiteral("Ак Барс"), QStringLiteral("арсенал"), QStringLiteral("Барселона"),
                             QStringLiteral("Динамо"),  QStringLiteral("ёжики"),   QStringLiteral("Ювентус")};
    for (const char *name : {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7"}) {
        EXPECT_EQ(items(name), sorted) << name;
        EXPECT_EQ(find<QComboBox>(name)->currentIndex(), -1) << name;
        EXPECT_EQ(find<QComboBox>(name)->currentText(), QString()) << name;
        EXPECT_FALSE(find<QComboBox>(name)->isEnabled()) << name;
    }
    EXPECT_EQ(read(DataFile::PoolRemainder),
              joinLines({cp("Ювентус"), cp("арсенал"), cp("Барселона"), cp("ёжики"), cp("Динамо"), cp("Ак Барс")}))
        << "temp keeps file order";
}

TEST_F(MainWindow, ControlsStartAsTheLayoutSays) {
    writeStandardFiles();
    TForm1 &form = start();
    EXPECT_EQ(form.centralWidget()->geometry().size(), QSize(520, 303));
    EXPECT_EQ(form.height(), form.menuBar()->sizeHint().height() + 303);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentText(), "3");
    EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_TRUE(find<QPushButton>("Button2")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("Button2")->isDefault());
    EXPECT_FALSE(find<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("BitBtn1")->isEnabled());
    for (const char *edit : {"Edit1", "Edit2", "Edit3"}) {
        EXPECT_FALSE(find<QLineEdit>(edit)->isEnabled()) << edit;
        EXPECT_TRUE(find<QLineEdit>(edit)->text().isEmpty()) << edit;
    }
    for (const char *label : {"Label6", "Label7", "Label8", "Label10", "Label11", "Label14", "Label15"}) {
        EXPECT_TRUE(find<QLabel>(label)->isHidden()) << label;
    }
    for (const char *label : {"Label5", "Label19", "Label20"}) {
        EXPECT_FALSE(find<QLabel>(label)->isEnabled()) << label;
    }
    EXPECT_EQ(find<QPushButton>("Button2")->geometry(), QRect(360, 4, 75, 25));
    EXPECT_EQ(find<QCheckBox>("CheckBox4")->geometry(), QRect(304, 264, 193, 17));
    EXPECT_EQ(find<QLabel>("Label12")->geometry(), QRect(406, 286, 106, 13));
    EXPECT_GT(find<QFrame>("Bevel4")->geometry().top(), 303) << "the gift panel is out of sight";

    // The edit boxes lie in front of the prize drop-downs.
    const QWidget *central = form.centralWidget();
    EXPECT_GT(central->children().indexOf(find<QLineEdit>("Edit1")),
              central->children().indexOf(find<QComboBox>("ComboBox5")));

    const QAction *exit = find<QAction>("N3");
    EXPECT_EQ(exit->text(), QStringLiteral("&Выход"));
    EXPECT_EQ(exit->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    const QMenu *menu = find<QMenu>("N1");
    QStringList menuTexts;
    for (const QAction *action : menu->actions()) {
        menuTexts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(menuTexts, (QStringList{QStringLiteral("&Команды..."), QStringLiteral("&Настройки..."),
                                      QStringLiteral("Статистика..."), QStringLiteral("-"), QStringLiteral("&Выход")}));
    EXPECT_EQ(form.menuBar()->actions().last()->text(), QStringLiteral("?"));
}

TEST_F(MainWindow, StartUpRunsBeforeAnyOtherWindowExists) {
    writeStandardFiles();
    QFile::remove(path(DataFile::Settings));
    boxes.answers = {Messages::Answer::Yes};
    QStringList windowsSeen;
    boxes.onShow = [&windowsSeen] {
        for (const QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName().startsWith("TForm") && window->objectName() != "TForm1") {
                windowsSeen.append(window->objectName());
            }
        }
    };
    start();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(windowsSeen.isEmpty()) << windowsSeen.join(' ').toStdString();

    const QList<QWidget *> secondary{program->Form2.get(), program->Form4.get(), program->Form6.get(),
                                     program->Form5.get(), program->Form7.get(), program->Form8.get(),
                                     program->Form9.get()};
    for (QWidget *window : secondary) {
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_EQ(program->Form6->windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(program->Form9->windowTitle(), QStringLiteral("Введите результаты турнира"));

    // A secondary window that is closed is only hidden.
    program->Form7->show();
    EXPECT_TRUE(program->Form7->close());
    EXPECT_FALSE(program->Form7->isVisible());
    program->Form7->show();
    EXPECT_TRUE(program->Form7->isVisible());
    program->Form7->hide();
}

TEST_F(MainWindow, OpensAsFarAsStartUpGotWhenAListIsMissing) {
    writeStandardFiles();
    QFile::remove(path(DataFile::Teams4));
    TForm1 &form = start();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvana 3.9 beta"));
    EXPECT_TRUE(items("ComboBox2").isEmpty());
    EXPECT_TRUE(text("Label16").isEmpty());
    EXPECT_TRUE(text("Label22").isEmpty());
    EXPECT_FALSE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isChecked());
}

TEST_F(MainWindow, CaptionNamesTheListEvenWhenTheDropDownsCouldNotBeFilled) {
    writeStandardFiles(0, 6, 0, 0, 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::PoolRemainder));
    TForm1 &form = start();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvana 3.9 beta - Клубы 4,5*"));
    EXPECT_TRUE(items("ComboBox2").isEmpty());
    EXPECT_TRUE(text("Label22").isEmpty());
}

TEST_F(MainWindow, ClosingTheMainWindowEndsTheProgramWhateverElseIsOpen) {
    writeStandardFiles();
    start();
    program->Form1->show();
    program->Form7->show();
    QTimer::singleShot(0, program->Form1.get(), [this] { program->Form1->close(); });
    // A watchdog, so that a failure shows as a failed test rather than a hang.
    QTimer watchdog;
    bool timedOut = false;
    watchdog.callOnTimeout([&timedOut] {
        timedOut = true;
        QApplication::exit(1);
    });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    program->Form7->hide();
}

TEST_F(MainWindow, MissingLastTournamentKeepsTheListButNotTheNames) {
    writeStandardFiles(5, 0, 0, 0, 0);
    QFile::remove(path(DataFile::LastTournament));
    TForm1 &form = start();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvana 3.9 beta - Клубы 4*"));
    EXPECT_EQ(items("ComboBox4").size(), 5);
    EXPECT_TRUE(text("Label16").isEmpty());
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isChecked());
}

TEST_F(MainWindow, UsedTeamsSettingZeroLeavesTheBoxesAsTheyAre) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "0"});
    write(DataFile::LastTournament, cp("Реал\r\nБавария\r\n"));
    start();
    EXPECT_FALSE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(text("Label23"), QStringLiteral("Бавария"));
    EXPECT_TRUE(text("Label24").isEmpty());
    EXPECT_TRUE(text("Label29").isEmpty());
}

TEST_F(MainWindow, CheckingCheckBox4UnchecksCheckBox3AndNotTheOtherWayRound) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "0"});
    start();
    QCheckBox *three = find<QCheckBox>("CheckBox3");
    QCheckBox *all = find<QCheckBox>("CheckBox4");
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_TRUE(all->isChecked());
    EXPECT_FALSE(three->isChecked());
    QTest::mouseClick(three, Qt::LeftButton);
    EXPECT_TRUE(three->isChecked());
    EXPECT_TRUE(all->isChecked()) << "both may be checked";
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_FALSE(all->isChecked());
    EXPECT_TRUE(three->isChecked());
}

TEST_F(MainWindow, TeamChoicePrizeEnablesThePlayersOwnDropDowns) {
    writeStandardFiles();
    writeLines(DataFile::Gift, {teamChoicePrizePath()});
    start();
    for (const char *name : {"ComboBox5", "ComboBox6", "ComboBox7"}) {
        EXPECT_TRUE(find<QComboBox>(name)->isEnabled()) << name;
    }
    for (const char *name : {"ComboBox2", "ComboBox3", "ComboBox4"}) {
        EXPECT_FALSE(find<QComboBox>(name)->isEnabled()) << name;
    }
}

TEST_F(MainWindow, EnterPressesTheDefaultButtonOnly) {
    writeStandardFiles();
    TForm1 &form = start();
    form.show();
    QSignalSpy fill(find<QPushButton>("Button2"), &QPushButton::clicked);
    QSignalSpy schedule(find<QPushButton>("Button1"), &QPushButton::clicked);
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(fill.count(), 2);
    find<QPushButton>("Button2")->setDefault(false);
    find<QPushButton>("Button1")->setEnabled(true);
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_EQ(fill.count(), 2) << "once the role is taken away, Enter starts nothing";
    EXPECT_EQ(schedule.count(), 0);
    form.hide();
}

TEST_F(MainWindow, NamesFromTheFilesAreShownAsPlainText) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "<b>Bold</b>", "B", "C"});
    start();
    EXPECT_EQ(find<QLabel>("Label16")->textFormat(), Qt::PlainText);
    EXPECT_EQ(text("Label16"), QStringLiteral("<b>Bold</b>"));
}
