#include "BookFixture.h"
#include "DesktopApplications.h"
#include "Program.h"
#include "ProgramTest.h"
#include "SheetPreview.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit51.h"
#include "Unit7.h"
#include "WidgetMessages.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

// What a desktop expects of every program: the icon of its menu entry on each
// window, the entry's name for the task bar, and Escape closing the windows that
// only show something.
class Desktop : public ProgramTest {};

TEST_F(Desktop, EveryWindowCarriesTheIconOfTheMenuEntry) {
    setUpApplication();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.korvana.Korvana3"));
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int side : {16, 32, 48, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    }
    // Not a blank picture: the built-in file was found and read.
    EXPECT_FALSE(QApplication::windowIcon().pixmap(48).toImage().allGray());
    start();
    for (QWidget *window : std::initializer_list<QWidget *>{&program->form1(), &program->form10(),
                                                            &program->sheetPreview(), &program->form7()}) {
        EXPECT_EQ(window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey())
            << window->objectName().toStdString();
    }
}

TEST_F(Desktop, EscapeClosesTheWindowsThatOnlyShowSomething) {
    start();
    for (QWidget *window : std::initializer_list<QWidget *>{&program->form10(), &program->sheetPreview(),
                                                            &program->form7(), &program->form5()}) {
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << window->objectName().toStdString();
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    // The main window stays: Escape is no way to end the program.
    QWidget &main = program->form1();
    main.show();
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_Escape);
    EXPECT_TRUE(main.isVisible());
    main.hide();
}

// Qt's own texts turn Russian; the program's questions name their buttons Yes,
// No, Cancel and OK, and those names stay.
TEST_F(Desktop, QtSpeaksRussianWhileTheProgramsButtonsKeepTheirNames) {
    const std::unique_ptr<QTranslator> translation = qtTranslation();
    ASSERT_TRUE(translation) << "qtbase_ru.qm of qt6-translations-l10n";
    ASSERT_TRUE(QCoreApplication::installTranslator(translation.get()));
    const QDialogButtonBox dialogButtons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(dialogButtons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(dialogButtons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));

    WidgetMessages boxes;
    const auto buttonsOfTheNextBox = [] {
        auto names = std::make_shared<QStringList>();
        QTimer::singleShot(0, [names] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            for (QAbstractButton *button : box->buttons()) {
                names->append(button->text());
            }
            names->sort();
            box->button(box->buttons().size() == 1 ? box->standardButton(box->buttons()[0]) : QMessageBox::Cancel)
                ->click();
        });
        return names;
    };
    std::shared_ptr<QStringList> names = buttonsOfTheNextBox();
    EXPECT_EQ(boxes.askYesNoCancel(QStringLiteral("Клубы - Yes, Сборные - No, Случайно - Cancel")),
              Messages::Answer::Cancel);
    EXPECT_EQ(*names, (QStringList{"&No", "&Yes", "Cancel"}));
    names = buttonsOfTheNextBox();
    EXPECT_EQ(boxes.askOkCancel(QStringLiteral("Delete record?")), Messages::Answer::Cancel);
    EXPECT_EQ(*names, (QStringList{"Cancel", "OK"}));
    names = buttonsOfTheNextBox();
    boxes.information(QStringLiteral("Сохранено."));
    EXPECT_EQ(*names, (QStringList{"OK"}));
}

// xdg-open starts, and so counts as a success, even where no application then
// shows the sheet: the desktop is asked through xdg-mime first.
TEST(DesktopApplications, AFileGoesToTheDesktopOnlyWhereItNamesAnApplication) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto fake = [&dir](const QString &name, const QByteArray &script) {
        return writeScript(dir.path(), name, script);
    };
    const QString sheet = dir.filePath(QStringLiteral("Турнир 2026-12-09.xlsx"));
    const QString asked = dir.filePath(QStringLiteral("asked.txt"));
    EXPECT_TRUE(desktopHasApplicationFor(
        sheet,
        fake(QStringLiteral("named"), "echo \"$@\" > '" + asked.toUtf8() + "'\necho libreoffice-calc.desktop\n")));
    QFile question(asked);
    ASSERT_TRUE(question.open(QIODevice::ReadOnly));
    EXPECT_EQ(question.readAll().trimmed(),
              QByteArray("query default application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));
    EXPECT_FALSE(desktopHasApplicationFor(sheet, fake(QStringLiteral("nothing"), "exit 0\n")))
        << "no application for the type";
    EXPECT_FALSE(desktopHasApplicationFor(sheet, fake(QStringLiteral("fails"), "echo x.desktop\nexit 3\n")));
    EXPECT_TRUE(desktopHasApplicationFor(sheet, dir.filePath(QStringLiteral("absent"))))
        << "without xdg-mime the opener decides alone";
}

// Tab leaves the list of tournaments at once instead of walking it cell by cell.
TEST_F(Desktop, TabLeavesTheListOfTournaments) {
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    start();
    TForm10 &history = program->form10();
    history.openHistory();
    QApplication::setActiveWindow(&history);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&history));
    auto *list = history.findChild<QTableView *>(QStringLiteral("TournamentList"));
    ASSERT_NE(list, nullptr);
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    ASSERT_EQ(list->model()->rowCount(), 3);
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_FALSE(list->hasFocus());
    history.hide();
}
