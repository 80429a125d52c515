#include "Cp1251.h"
#include "GiftAward.h"
#include "GiftCatalogue.h"
#include "Program.h"
#include "ProgramTest.h"
#include "SheetPreview.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "WidgetMessages.h"
#include "XlsxSpreadsheet.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMovie>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
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
                                      QStringLiteral("Статистика..."), QStringLiteral("&История турниров..."),
                                      QStringLiteral("&Резервные копии..."), QStringLiteral("&Печать листа турнира..."),
                                      QStringLiteral("-"), QStringLiteral("&Выход")}));
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

    // The other windows are made when first wanted, hidden, and then kept.
    EXPECT_EQ(program->windowsMade(), (QList<QWidget *>{&program->form1()}));
    const QList<QWidget *> secondary{&program->form2(), &program->form4(), &program->form6(), &program->form5(),
                                     &program->form7(), &program->form8(), &program->form9(), &program->sheetPreview()};
    for (QWidget *window : secondary) {
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_EQ(program->windowsMade().size(), 9);
    EXPECT_EQ(program->form6().windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(program->form9().windowTitle(), QStringLiteral("Введите результаты турнира"));

    // A secondary window that is closed is only hidden, and is the same window
    // when it is wanted again.
    program->form7().show();
    EXPECT_TRUE(program->form7().close());
    EXPECT_FALSE(program->form7().isVisible());
    EXPECT_EQ(&program->form7(), secondary[4]);
    program->form7().show();
    EXPECT_TRUE(program->form7().isVisible());
    program->form7().hide();
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
    program->form1().show();
    program->form7().show();
    QTimer::singleShot(0, &program->form1(), [this] { program->form1().close(); });
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
    program->form7().hide();
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

TEST_F(MainWindow, EnterPressesTheFocusedButtonElseTheDefaultOne) {
    writeStandardFiles();
    TForm1 &form = start();
    form.show();
    // Keys reach only the active window.
    QApplication::setActiveWindow(&form);
    QCoreApplication::processEvents();
    QPushButton *fillButton = find<QPushButton>("Button2");
    QPushButton *scheduleButton = find<QPushButton>("Button1");
    QCheckBox *fromList = find<QCheckBox>("CheckBox1");
    QSignalSpy fill(fillButton, &QPushButton::clicked);
    QSignalSpy schedule(scheduleButton, &QPushButton::clicked);

    fromList->setFocus();
    QTest::keyClick(fromList, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(fill.count(), 1) << "a check box passes Enter on to the default button";
    ASSERT_TRUE(scheduleButton->isEnabled());

    // With the fill button enabled again, Enter on the focused schedule button
    // makes the schedule and starts no fill.
    fillButton->setEnabled(true);
    scheduleButton->setFocus();
    QTest::keyClick(scheduleButton, Qt::Key_Return);
    EXPECT_EQ(schedule.count(), 1);
    EXPECT_EQ(fill.count(), 1);

    fillButton->setEnabled(true);
    fillButton->setDefault(false);
    fromList->setFocus();
    QTest::keyClick(fromList, Qt::Key_Return);
    EXPECT_EQ(fill.count(), 1) << "once the role is taken away, Enter starts nothing";
    form.hide();
}

TEST_F(MainWindow, NamesFromTheFilesAreShownAsPlainText) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "<b>Bold</b>", "B", "C"});
    start();
    EXPECT_EQ(find<QLabel>("Label16")->textFormat(), Qt::PlainText);
    EXPECT_EQ(text("Label16"), QStringLiteral("<b>Bold</b>"));
}

// ---- The fill, the schedule and the small commands ----------------------------

class MainWindowCommands : public ProgramTest {
protected:
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QStringList fields() const { return {edit("Edit1")->text(), edit("Edit2")->text(), edit("Edit3")->text()}; }
    // Makes a window the active one, as a click into it would.
    static void activate(QWidget *window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QCoreApplication::processEvents();
    }
};

TEST_F(MainWindowCommands, FillThenScheduleShowsTheFirstRoundAndLogsTheTeams) {
    writeStandardFiles(6, 0, 0, 0, 0);
    writeLines(DataFile::UsedTeamsLog, {"teams4-1", "teams4-2"});
    start();
    ASSERT_TRUE(find<QCheckBox>("CheckBox4")->isChecked());
    button("Button2")->click();
    const QStringList teams = fields();
    EXPECT_EQ(QSet<QString>(teams.begin(), teams.end()),
              (QSet<QString>{"teams4-3", "teams4-4", "teams4-5", "teams4-6"}) &
                  QSet<QString>(teams.begin(), teams.end()));
    EXPECT_EQ(QSet<QString>(teams.begin(), teams.end()).size(), 3);
    EXPECT_FALSE(button("Button2")->isEnabled());
    EXPECT_TRUE(button("Button1")->isEnabled());
    EXPECT_FALSE(button("BitBtn1")->isEnabled());
    EXPECT_TRUE(boxes.shown.empty());

    button("Button1")->click();
    for (const char *label : {"Label6", "Label7", "Label8", "Label10", "Label11", "Label14", "Label15"}) {
        EXPECT_FALSE(find<QLabel>(label)->isHidden()) << label;
    }
    EXPECT_EQ(text("Label6"), QStringLiteral("Первый круг:"));
    const QString x = text("Label7"), y = text("Label8"), z = text("Label10");
    EXPECT_EQ(QSet<QString>({x, y, z}), QSet<QString>(teams.begin(), teams.end()));
    EXPECT_EQ(text("Label11"), x);
    EXPECT_EQ(text("Label14"), y);
    EXPECT_EQ(text("Label15"), z);
    EXPECT_FALSE(button("Button1")->isEnabled());
    EXPECT_FALSE(button("Button2")->isEnabled());
    EXPECT_TRUE(button("BitBtn1")->isEnabled());
    EXPECT_EQ(read(DataFile::UsedTeamsLog),
              joinLines({"teams4-1", "teams4-2", teams[0].toLatin1(), teams[1].toLatin1(), teams[2].toLatin1()}));
}

TEST_F(MainWindowCommands, ScheduleMakesAMissingLogAfterSayingSo) {
    writeStandardFiles();
    start();
    button("Button2")->click();
    QFile::remove(path(DataFile::UsedTeamsLog));
    button("Button1")->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("file not found, new")});
    EXPECT_EQ(splitLines(read(DataFile::UsedTeamsLog)).size(), 3);
}

TEST_F(MainWindowCommands, ScheduleOfEqualTeamsChangesNothing) {
    writeStandardFiles();
    start();
    find<QCheckBox>("CheckBox1")->setChecked(false);
    edit("Edit1")->setText("Same");
    edit("Edit2")->setText("Other");
    edit("Edit3")->setText("Same");
    button("Button1")->setEnabled(true);
    button("Button1")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(button("Button1")->isEnabled());
    EXPECT_FALSE(button("BitBtn1")->isEnabled());
    EXPECT_TRUE(find<QLabel>("Label7")->isHidden());
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "");

    // A team the log could not store stops the schedule the same way: a letter
    // outside Windows-1251, or a line break pasted with the name, which would
    // put a fourth line into the log.
    edit("Edit3")->setText(QStringLiteral("Malmö"));
    button("Button1")->click();
    edit("Edit3")->setText(QStringLiteral("Real\nMilan"));
    ASSERT_EQ(edit("Edit3")->text(), QStringLiteral("Real\nMilan"));
    button("Button1")->click();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("«ö» (U+00F6)"))) << boxes.shown[1].text.toStdString();
    EXPECT_TRUE(boxes.shown[2].text.contains(QStringLiteral("перевод строки"))) << boxes.shown[2].text.toStdString();
    EXPECT_TRUE(find<QLabel>("Label7")->isHidden());
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "");
}

TEST_F(MainWindowCommands, ScheduleOfAnEmptyTeamIsRefusedAndTakesTheEarlierRoundOffTheWindow) {
    writeStandardFiles();
    start();
    button("Button2")->click();
    button("Button1")->click();
    ASSERT_TRUE(button("BitBtn1")->isEnabled());
    const QByteArray log = read(DataFile::UsedTeamsLog);

    // A fill that could not serve player 3 leaves his field empty.
    find<QCheckBox>("CheckBox1")->setChecked(false);
    edit("Edit3")->clear();
    button("Button1")->setEnabled(true);
    button("Button1")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("у игрока 3 нет команды")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(read(DataFile::UsedTeamsLog), log) << "no empty team is logged";
    for (const char *label : {"Label6", "Label7", "Label8", "Label10", "Label11", "Label14", "Label15"}) {
        EXPECT_TRUE(find<QLabel>(label)->isHidden()) << label;
    }
    EXPECT_FALSE(button("BitBtn1")->isEnabled()) << "the earlier round cannot be printed as this one";
    EXPECT_TRUE(button("Button1")->isEnabled());

    edit("Edit3")->setText("teams4-9");
    button("Button1")->click();
    EXPECT_TRUE(button("BitBtn1")->isEnabled());
    EXPECT_FALSE(find<QLabel>("Label7")->isHidden());
}

TEST_F(MainWindowCommands, BarcelonaBringsUpTheCongratulationUntilAnotherWindowIsActive) {
    writeStandardFiles();
    TForm1 &form = start();
    form.show();
    activate(&form);
    find<QCheckBox>("CheckBox1")->setChecked(false);
    edit("Edit2")->setText(QStringLiteral("Барселона"));
    find<QCheckBox>("CheckBox1")->setChecked(true);
    button("Button2")->click();
    EXPECT_EQ(edit("Edit2")->text(), QStringLiteral("Барселона")) << "a filled field is kept";
    QCoreApplication::processEvents();
    ASSERT_TRUE(program->form4().isVisible());
    EXPECT_EQ(program->form4().geometry(), QRect(386, 157, 185, 185));
    EXPECT_TRUE(program->form4().windowFlags() & Qt::FramelessWindowHint);

    const QMovie *firstShowing = program->form4().movie();
    ASSERT_NE(firstShowing, nullptr);
    EXPECT_TRUE(firstShowing->isValid()) << "grats.gif ships beside the program";
    EXPECT_EQ(firstShowing->frameRect().size(), QSize(185, 185));

    activate(&form);
    EXPECT_FALSE(program->form4().isVisible()) << "the main window's activation hides it";

    // The next showing loads the picture anew, from its first frame.
    find<QCheckBox>("CheckBox1")->setChecked(false);
    find<QCheckBox>("CheckBox1")->setChecked(true);
    button("Button2")->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(program->form4().isVisible());
    EXPECT_NE(program->form4().movie(), firstShowing);
    EXPECT_LE(program->form4().movie()->currentFrameNumber(), 0);
    activate(&form);
    form.hide();
}

TEST_F(MainWindowCommands, ListThatRunsDryEndsTheProgramWithItsMessage) {
    writeStandardFiles(0, 0, 5, 0, 0);
    writeLines(DataFile::UsedTeamsLog, {"teams5-1", "teams5-2"});
    start();
    writeLines(DataFile::UsedTeamsLog, teams("teams5", 5)); // used up since the start
    button("Button2")->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Клубы 5* кончились. Перезапустите!")});
    EXPECT_EQ(endedWith, std::vector<int>{0});
    EXPECT_EQ(read(DataFile::UsedTeamsLog), joinLines(teams("teams5", 5))) << "nothing is written";
}

TEST_F(MainWindowCommands, FillThatCannotServeAPlayerChangesNothing) {
    writeStandardFiles(0, 3, 0, 0, 0);
    start();
    find<QCheckBox>("CheckBox1")->setChecked(false);
    edit("Edit1")->setText("teams45-1");
    edit("Edit2")->setText("teams45-2");
    find<QCheckBox>("CheckBox1")->setChecked(true);
    // Player 3's last team is the only one left for him.
    find<QLabel>("Label24")->setText("teams45-3");
    find<QCheckBox>("CheckBox3")->setChecked(true);
    button("Button2")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("«Коля»"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(fields(), (QStringList{"teams45-1", "teams45-2", ""}));
    EXPECT_TRUE(button("Button2")->isEnabled()) << "the user can fill again";
    EXPECT_FALSE(button("Button1")->isEnabled());
    EXPECT_TRUE(endedWith.empty());
}

TEST_F(MainWindowCommands, FillWithoutAListOfTheRunSaysSoAndDrawsNothing) {
    writeStandardFiles(2, 2, 2, 2, 2);
    start();
    boxes.shown.clear();
    button("Button2")->click();
    EXPECT_EQ(boxes.texts(), QStringList{kNoListMessage});
    EXPECT_EQ(fields(), (QStringList{"", "", ""}));
    EXPECT_FALSE(button("Button1")->isEnabled());
}

TEST_F(MainWindowCommands, TwoInTheTeamCountOpensTheWindowForTwo) {
    writeStandardFiles();
    start();
    QComboBox *count = find<QComboBox>("ComboBox1");
    count->setCurrentIndex(0);
    EXPECT_EQ(count->currentText(), "3");
    ASSERT_TRUE(program->form7().isVisible());
    EXPECT_TRUE(program->form7().windowFlags() & Qt::WindowStaysOnTopHint);

    writeLines(DataFile::NatTeams, {cp("Бразилия"), cp("Чехия")});
    QLabel *first = findIn<QLabel>(&program->form7(), "Label1");
    QLabel *second = findIn<QLabel>(&program->form7(), "Label2");
    EXPECT_TRUE(first->isHidden());
    findIn<QPushButton>(&program->form7(), "Button2")->click();
    EXPECT_FALSE(first->isHidden());
    EXPECT_EQ(QSet<QString>({first->text(), second->text()}),
              (QSet<QString>{QStringLiteral("Бразилия"), QStringLiteral("Чехия")}));

    write(DataFile::NatTeams, "Solo\r\n");
    const QString before = first->text();
    findIn<QPushButton>(&program->form7(), "Button2")->click();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(first->text(), before) << "the labels keep the last draw";
    program->form7().hide();
}

TEST_F(MainWindowCommands, TypedInTeamsAndExclusionsSwitchTheControls) {
    writeStandardFiles();
    start();
    QCheckBox *fromList = find<QCheckBox>("CheckBox1");
    QCheckBox *except = find<QCheckBox>("CheckBox2");
    except->setChecked(true);
    for (const char *name : {"Label5", "Label19", "Label20", "ComboBox2", "ComboBox3", "ComboBox4"}) {
        EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
    }
    find<QComboBox>("ComboBox3")->setCurrentIndex(2);
    ASSERT_FALSE(find<QComboBox>("ComboBox3")->currentText().isEmpty());

    fromList->setChecked(false);
    EXPECT_FALSE(except->isChecked());
    EXPECT_FALSE(except->isEnabled());
    EXPECT_FALSE(button("Button2")->isEnabled());
    EXPECT_TRUE(find<QComboBox>("ComboBox3")->currentText().isEmpty());
    EXPECT_FALSE(find<QComboBox>("ComboBox3")->isEnabled());
    for (const char *name : {"Edit1", "Edit2", "Edit3"}) {
        EXPECT_TRUE(edit(name)->isEnabled()) << name;
    }
    fromList->setChecked(true);
    EXPECT_TRUE(button("Button2")->isEnabled());
    EXPECT_TRUE(except->isEnabled());
    EXPECT_FALSE(edit("Edit1")->isEnabled());
}

TEST_F(MainWindowCommands, PrizeDropDownFillsTheTeamFieldEvenWhileItIsDisabled) {
    writeStandardFiles();
    writeLines(DataFile::Gift, {teamChoicePrizePath()});
    start();
    ASSERT_FALSE(edit("Edit2")->isEnabled());
    QComboBox *own = find<QComboBox>("ComboBox6");
    own->setCurrentIndex(1);
    EXPECT_EQ(edit("Edit2")->text(), own->currentText());
    EXPECT_FALSE(edit("Edit2")->text().isEmpty());
}

TEST_F(MainWindowCommands, ExitLinkAndCredits) {
    writeStandardFiles();
    TForm1 &form = start();
    form.show();
    activate(&form);
    QTest::mouseClick(find<QLabel>("Label12"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://korvana.github.io")));

    find<QAction>("N2")->trigger();
    EXPECT_EQ(boxes.texts(), QStringList{TForm1::kCredits});

    // Ctrl+X leaves the program also from an edit box, where it would be Cut.
    find<QCheckBox>("CheckBox1")->setChecked(false);
    QLineEdit *field = edit("Edit1");
    field->setText("Keep");
    field->selectAll();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(endedWith, std::vector<int>{0});
    EXPECT_EQ(field->text(), "Keep");
    form.hide();
}

TEST_F(MainWindowCommands, UsedTeamsSettingOtherThanOneLeavesTheBoxUnchecked) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "2"});
    start();
    EXPECT_FALSE(find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_TRUE(boxes.shown.empty());
}

// ---- The final table and the gift award ----------------------------------------

namespace {

bool previewOnScreen() {
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget *window) {
        return window->objectName() == "SheetPreview" && window->isVisible();
    });
}

} // namespace

class FinalTable : public MainWindowCommands {
protected:
    // Starts the program, fills and schedules; the sheets go to a folder of the test.
    TForm1 &startAndSchedule() {
        TForm1 &form = start();
        form.setSpreadsheetFactory([this] { return makeXlsxSpreadsheet(sheets.path()); });
        button("Button2")->click();
        button("Button1")->click();
        return form;
    }
    QStringList writtenSheets() const { return QDir(sheets.path()).entryList(QDir::Files); }
    static QString today() { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); }

    QTemporaryDir sheets;
};

TEST_F(FinalTable, RecordsTheTournamentShowsTheSheetOpensTheResultsAndAwardsTheGifts) {
    writeStandardFiles();
    writeLines(DataFile::Gift, {toCp1251(giftPicturePath(u"ball.bmp")).value()});
    TForm1 &form = startAndSchedule();
    QSignalSpy results(&form, &TForm1::resultTableRequested);
    button("BitBtn1")->click();

    const QStringList teams = fields();
    EXPECT_EQ(read(DataFile::LastTournament),
              joinLines({teams[0].toLatin1(), teams[1].toLatin1(), teams[2].toLatin1(), today().toLatin1()}));
    EXPECT_FALSE(button("Button2")->isDefault());
    ASSERT_EQ(writtenSheets().size(), 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QDir(sheets.path()).filePath(writtenSheets()[0])));

    // The result window gets the teams in schedule order, each with its player.
    ASSERT_EQ(results.count(), 1);
    const auto tournament = results[0][0].value<Tournament>();
    const PerPlayer<QString> &order = tournament.teams;
    const PerPlayer<QString> &players = tournament.players;
    EXPECT_EQ(tournament.firstRound[2][1], text("Label15"));
    EXPECT_EQ(order, (std::array<QString, 3>{text("Label7"), text("Label8"), text("Label10")}));
    const QStringList names = {text("Label16"), text("Label17"), text("Label18")};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(players[row], names[teams.indexOf(order[row])]) << row;
    }

    // The gifts: three pictures, the scorer's prize recorded, the panel shown.
    for (const char *image : {"Image1", "Image3", "Image4"}) {
        EXPECT_FALSE(find<QLabel>(image)->pixmap().isNull()) << image;
    }
    const QString prize = fromCp1251(splitLines(read(DataFile::Gift)).value(0));
    EXPECT_TRUE(QStringList({"redcard.bmp", "team.bmp", "travma.bmp", "okay.bmp"})
                    .contains(prize.mid(prize.lastIndexOf('/') + 1)))
        << prize.toStdString();
    EXPECT_EQ(prize, giftPicturePath(prize.mid(prize.lastIndexOf('/') + 1)));
    EXPECT_EQ(boxes.texts(), QStringList{kGiftsDrawnMessage});
    EXPECT_EQ(form.centralWidget()->height(), 431);

    // A second press makes a new sheet and draws the gifts anew.
    button("BitBtn1")->click();
    EXPECT_EQ(writtenSheets().size(), 2);
    EXPECT_EQ(results.count(), 2);
    EXPECT_EQ(boxes.texts().count(kGiftsDrawnMessage), 2);
}

TEST_F(FinalTable, WithoutRandomGiftsThePrizeStaysAndTheWindowKeepsItsHeight) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "0", "[log all teams]", "1"});
    write(DataFile::Gift, "no such picture\r\n");
    TForm1 &form = startAndSchedule();
    button("BitBtn1")->click();
    // The picture that cannot be found leaves the sheet without it, and says so.
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains("no such picture")) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(writtenSheets().size(), 1);
    EXPECT_EQ(read(DataFile::Gift), "no such picture\r\n");
    EXPECT_EQ(form.centralWidget()->height(), 303);
    EXPECT_TRUE(find<QLabel>("Image4")->pixmap().isNull());
}

// The sheet is only the printout: the tournament, recorded already, goes on to
// the results and the gifts, and the program's own preview stands in for it.
TEST_F(FinalTable, SheetThatCannotBeWrittenIsToldAndTheTournamentGoesOn) {
    writeStandardFiles();
    TForm1 &form = startAndSchedule();
    form.setSpreadsheetFactory([this] { return makeXlsxSpreadsheet(path(DataFile::Teams4) + "/sheets"); });
    QSignalSpy results(&form, &TForm1::resultTableRequested);
    button("BitBtn1")->click();
    ASSERT_EQ(boxes.shown.size(), 2u) << boxes.texts().join('\n').toStdString();
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Турнир продолжается")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[1].text, kGiftsDrawnMessage);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(results.count(), 1);
    ASSERT_TRUE(previewOnScreen());
    program->sheetPreview().close();
    EXPECT_TRUE(read(DataFile::LastTournament).endsWith(today().toLatin1() + "\r\n")) << "written before the sheet";

    // The desktop without a spreadsheet application: the sheet is written, the
    // user is told where, and the tournament goes on.
    form.setSpreadsheetFactory([this] { return makeXlsxSpreadsheet(sheets.path()); });
    desktopAccepts = false;
    boxes.shown.clear();
    button("BitBtn1")->click();
    EXPECT_EQ(results.count(), 2);
    ASSERT_EQ(writtenSheets().size(), 1);
    EXPECT_EQ(boxes.texts().filter(writtenSheets()[0]).size(), 1) << boxes.texts().join('\n').toStdString();
    program->sheetPreview().close();
}

// ---- the sheet's own preview -------------------------------------------------------

TEST_F(FinalTable, ShowsThePreviewOnlyWhenTheDesktopCannotOpenTheSheet) {
    writeStandardFiles();
    TForm1 &form = startAndSchedule();
    QSignalSpy results(&form, &TForm1::resultTableRequested);
    button("BitBtn1")->click();
    EXPECT_FALSE(previewOnScreen());

    desktopAccepts = false;
    button("BitBtn1")->click();
    ASSERT_TRUE(previewOnScreen());
    SheetPreview &preview = program->sheetPreview();
    EXPECT_EQ(preview.previewWidget()->pageCount(), 1);
    EXPECT_EQ(preview.sheet().firstRound[2][1], text("Label15"));
    // The sheet is still written, and the tournament goes on.
    EXPECT_EQ(writtenSheets().size(), 2);
    EXPECT_EQ(results.count(), 2);
    EXPECT_TRUE(read(DataFile::LastTournament).endsWith(today().toLatin1() + "\r\n"));
    preview.close();
}

// The desktop's opener counts as started before it has found an application:
// one that fails afterwards still brings the sheet up in the program's preview.
TEST_F(FinalTable, AnOpenerThatFailsAfterStartingStillGetsTheSheetShown) {
    writeStandardFiles();
    QTemporaryDir tools;
    ASSERT_TRUE(tools.isValid());
    const auto script = [&tools](const QString &name, const QByteArray &body) {
        return writeScript(tools.path(), name, body);
    };
    const QString mime = script("xdg-mime", "echo libreoffice-calc.desktop\n");
    const QString handed = tools.filePath("handed");
    startAndSchedule();
    program->useDesktop(mime, script("xdg-open", "echo \"$1\" > '" + handed.toUtf8() + "'\nexit 3\n"));
    button("BitBtn1")->click();
    // Waited for by the event loop, not by the click.
    EXPECT_FALSE(previewOnScreen());
    ASSERT_TRUE(QTest::qWaitFor([this] { return previewOnScreen(); }, 5000));
    QFile handedFile(handed);
    ASSERT_TRUE(handedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(handedFile.readAll().trimmed(), QDir(sheets.path()).filePath(writtenSheets()[0]).toUtf8());
    EXPECT_EQ(boxes.texts().filter(writtenSheets()[0]).size(), 1) << boxes.texts().join('\n').toStdString();
    program->sheetPreview().close();

    // An opener that succeeds leaves the preview closed.
    program->useDesktop(mime, script("xdg-open-fine", "exit 0\n"));
    button("BitBtn1")->click();
    QTest::qWait(300);
    EXPECT_FALSE(previewOnScreen());

    // With no application named, nothing is handed over and the preview shows at once.
    program->useDesktop(script("xdg-mime-none", "exit 0\n"), script("xdg-open-unused", "exit 9\n"));
    button("BitBtn1")->click();
    EXPECT_TRUE(previewOnScreen());
    program->sheetPreview().close();
}

TEST_F(FinalTable, MenuPreviewsTheLastSheetOfTheRunOrElseTheRecordedTournament) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "0", "[log all teams]", "1"});
    startAndSchedule();
    QAction *printSheet = find<QAction>("N9");

    // Before a final table in this run: the teams of "last.txt", the players of
    // the settings, the first round left for handwriting.
    printSheet->trigger();
    ASSERT_TRUE(previewOnScreen());
    SheetPreview &preview = program->sheetPreview();
    EXPECT_EQ(preview.sheet().teams,
              (std::array<QString, 3>{QStringLiteral("Ливерпуль"), QStringLiteral("Наполи"), QStringLiteral("Зенит")}));
    EXPECT_EQ(preview.sheet().players, (std::array<QString, 3>{"A", "B", "C"}));
    EXPECT_EQ(preview.sheet().firstRound, FirstRoundTeams{});
    // The title dates the sheet, so that an old record does not pass for today's.
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Лист турнира от 01.12.2026"));
    preview.close();

    // After one: that very sheet.
    button("BitBtn1")->click();
    EXPECT_FALSE(previewOnScreen());
    printSheet->trigger();
    ASSERT_TRUE(previewOnScreen());
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Лист турнира от ") + today());
    EXPECT_EQ(preview.sheet().firstRound[0][1], text("Label8"));
    EXPECT_EQ(preview.sheet().teams[0], fields()[0]);
    preview.close();
}

TEST_F(FinalTable, MenuSaysSoWhenNoTournamentIsRecorded) {
    writeStandardFiles();
    write(DataFile::LastTournament, "");
    startAndSchedule();
    boxes.shown.clear();
    find<QAction>("N9")->trigger();
    EXPECT_FALSE(previewOnScreen());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Information);
}

TEST_F(FinalTable, PreviewSavesThePdfWhereTheUserChooses) {
    writeStandardFiles();
    startAndSchedule();
    SheetPreview &preview = program->sheetPreview();
    QString chosen;
    preview.setFileChooser([&chosen] { return chosen; });
    find<QAction>("N9")->trigger();
    QPushButton *save = findIn<QPushButton>(&preview, "SaveButton");
    ASSERT_NE(save, nullptr);

    // A name without ".pdf" gets it, even one with another dot in it; the user
    // is told where the file went.
    chosen = path("Турнир");
    boxes.answers.push_back(Messages::Answer::No);
    save->click();
    EXPECT_TRUE(read("Турнир.pdf").startsWith("%PDF-")) << "a PDF";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Лист турнира сохранён в файл %1\n\nОткрыть папку %2?")
                                       .arg(QDir::toNativeSeparators(path("Турнир.pdf")),
                                            QDir::toNativeSeparators(QFileInfo(path("Турнир.pdf")).absolutePath())));
    EXPECT_TRUE(opened.empty()) << "No leaves the folder closed";
    chosen = path("sheet.v2");
    boxes.answers.push_back(Messages::Answer::No);
    save->click();
    EXPECT_TRUE(read("sheet.v2.pdf").startsWith("%PDF-"));
    EXPECT_FALSE(QFile::exists(path("sheet.v2")));
    boxes.shown.clear();

    // The name that will be written is asked about before it is replaced, also
    // when ".pdf" was added after the dialog: No keeps the old file.
    write("Турнир.pdf", "mine");
    chosen = path("Турнир");
    boxes.answers.push_back(Messages::Answer::No);
    save->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_TRUE(boxes.shown[0].text.contains(QDir::toNativeSeparators(path("Турнир.pdf"))))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(read("Турнир.pdf"), "mine");
    boxes.answers.push_back(Messages::Answer::Yes);
    boxes.answers.push_back(Messages::Answer::Yes);
    chosen = path("Турнир.PDF");
    write("Турнир.PDF", "mine too");
    save->click();
    EXPECT_TRUE(read("Турнир.PDF").startsWith("%PDF-")) << "a name that ends in .PDF is kept";
    ASSERT_EQ(opened.size(), 1u) << "Yes opens the folder of the saved file";
    EXPECT_EQ(QFileInfo(opened[0].toLocalFile()), QFileInfo(QFileInfo(path("Турнир.PDF")).absolutePath()));
    boxes.shown.clear();

    // A folder that does not exist: the user is told, in Russian.
    chosen = path("no folder/sheet.pdf");
    save->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("Лист турнира не сохранён")))
        << boxes.shown[0].text.toStdString();
    preview.close();
}

// ---- the program's own message boxes ---------------------------------------------

// The launcher has the program show why it could not start it; nothing else on
// the command line changes what the program does.
TEST(LauncherFailure, IsTheOnlyCommandLineThatTheProgramReads) {
    const QString text = QStringLiteral("Korvana 3 не запущена: не удалось создать папку данных /x.");
    EXPECT_EQ(launcherFailure({"korvana", "--launcher-failure", text}), std::optional<QString>(text));
    for (const QStringList &other :
         {QStringList{"korvana"}, QStringList{"korvana", "--launcher-failure"},
          QStringList{"korvana", "teams4.txt", text}, QStringList{"korvana", "--launcher-failure", text, "more"}}) {
        EXPECT_FALSE(launcherFailure(other).has_value()) << other.join(u' ').toStdString();
    }
}

TEST(WidgetMessageBoxes, ShowTextsAsPlainTextAndTakeAReflexEnterAsNo) {
    WidgetMessages messageBoxes;
    QStringList seen;
    const auto answerWithEnter = [&seen] {
        QTimer::singleShot(0, [&seen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen.append(box->textFormat() == Qt::PlainText ? box->text() : QStringLiteral("rich text"));
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    answerWithEnter();
    messageBoxes.error(QStringLiteral("<h1>Зенит</h1>"));
    answerWithEnter();
    EXPECT_EQ(messageBoxes.askYesNo(QStringLiteral("Are you sure?")), Messages::Answer::No);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("<h1>Зенит</h1>"), QStringLiteral("Are you sure?")}));
}
