#include "ProgramTest.h"
#include "Unit1.h"
#include "Unit8.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

class UsedTeamsWindow : public ProgramTest {
protected:
    TForm8 &form() const { return program->form8(); }
    QPlainTextEdit *memo() const { return findIn<QPlainTextEdit>(&form(), "Memo1"); }
    QPushButton *button(const char *name) const { return findIn<QPushButton>(&form(), name); }
    bool editing() const {
        const bool writable = !memo()->isReadOnly();
        EXPECT_EQ(!button("Button1")->isEnabled(), writable);
        EXPECT_EQ(button("Button3")->isEnabled(), writable);
        return writable;
    }
    // The background behind the marker's caption; invalid while it has the window's own.
    QColor marker(const char *label) const {
        const QLabel *control = findIn<QLabel>(&form(), label);
        return control->autoFillBackground() ? control->palette().color(QPalette::Window) : QColor();
    }
    QList<QColor> markers() const {
        return {marker("Label1"), marker("Label5"), marker("Label4"), marker("Label3"), marker("Label2")};
    }
    void open() { find<QPushButton>("Button3")->click(); }

    const QColor red{255, 0, 0};
    const QColor green{0, 128, 0};
};

TEST_F(UsedTeamsWindow, StartsHiddenInViewingWithPlainMarkersAndKeepsItsLayoutWhenResized) {
    writeStandardFiles();
    start();
    EXPECT_FALSE(form().isVisible());
    EXPECT_FALSE(editing());
    EXPECT_EQ(markers(), QList<QColor>(5)) << "no colour until the window is first opened";

    form().show();
    EXPECT_NE(form().minimumSize(), form().maximumSize()) << "resizable";
    const QRect memoPlace = memo()->geometry();
    const QRect savePlace = button("Button3")->geometry();
    form().resize(600, 700);
    EXPECT_EQ(memo()->geometry(), memoPlace);
    EXPECT_EQ(memoPlace, QRect(0, 0, 305, 425));
    EXPECT_EQ(button("Button3")->geometry(), savePlace);
    form().close();
}

TEST_F(UsedTeamsWindow, MarkersTellWhichListsAreExhaustedAgainstTheLog) {
    writeStandardFiles();
    start();
    // Ten teams with seven used: not exhausted; with eight used: exhausted.
    const Lines clubs4 = teams("c4", 10);
    const Lines clubs45 = teams("c45", 10);
    // Six teams used, one of them three times: eight pairs, so exhausted.
    const Lines clubs5 = teams("c5", 10);
    writeLines(DataFile::Teams4, clubs4);
    writeLines(DataFile::Teams45, clubs45);
    writeLines(DataFile::Teams5, clubs5);
    writeLines(DataFile::NatTeams45, teams("n45", 2)); // fewer than three lines
    writeLines(DataFile::NatTeams5, teams("n5", 3));
    Lines log = clubs4.mid(0, 7) + clubs45.mid(0, 8) + clubs5.mid(0, 6);
    log << clubs5[2] << clubs5[2];
    writeLines(DataFile::UsedTeamsLog, log);

    open();
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(markers(), (QList<QColor>{red, green, green, red, red}));
    EXPECT_EQ(memo()->toPlainText(), QString::fromLatin1(log.join('\n') + '\n'));

    // An empty list is exhausted even against an empty log.
    write(DataFile::NatTeams5, {});
    write(DataFile::UsedTeamsLog, {});
    open();
    EXPECT_EQ(markers(), (QList<QColor>{red, red, green, green, green}));
    EXPECT_TRUE(boxes.shown.empty());
    form().close();
}

TEST_F(UsedTeamsWindow, AFileThatCannotBeReadKeepsTheWindowHidden) {
    writeStandardFiles();
    start();
    QFile::remove(path(DataFile::Teams45));
    open();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(DataFile::Teams45));
    EXPECT_FALSE(form().isVisible());

    QFile::remove(path(DataFile::UsedTeamsLog));
    open();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.contains(DataFile::UsedTeamsLog));
    EXPECT_FALSE(form().isVisible());
}

TEST_F(UsedTeamsWindow, SavesTheLogAsItStandsWithoutRecolouring) {
    writeStandardFiles();
    start();
    open();
    EXPECT_EQ(markers(), QList<QColor>(5, green));
    button("Button1")->click();
    EXPECT_TRUE(editing());
    const Lines clubs = teams("teams4", 8);
    memo()->setPlainText(QString::fromLatin1(clubs.join('\n')) + QStringLiteral("\nЗенит"));
    button("Button3")->click();
    EXPECT_EQ(read(DataFile::UsedTeamsLog), clubs.join("\r\n") + cp("\r\nЗенит"));
    EXPECT_FALSE(editing());
    EXPECT_EQ(markers(), QList<QColor>(5, green)) << "recoloured only at the next opening";
    open();
    EXPECT_EQ(marker("Label4"), red);
    form().close();
}

TEST_F(UsedTeamsWindow, ClearingEmptiesTheLogOnlyAfterYes) {
    writeStandardFiles();
    start();
    writeLines(DataFile::UsedTeamsLog, teams("teams4", 8));
    const QByteArray log = read(DataFile::UsedTeamsLog);
    open();
    const QList<QColor> colours = markers();
    button("Button1")->click();

    boxes.answers = {Messages::Answer::No};
    button("Button2")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_EQ(boxes.shown[0].text, "Are you sure?");
    EXPECT_EQ(read(DataFile::UsedTeamsLog), log);
    EXPECT_TRUE(memo()->toPlainText().startsWith("teams4-1\n"));

    boxes.answers = {Messages::Answer::Yes};
    button("Button2")->click();
    EXPECT_EQ(QFile(path(DataFile::UsedTeamsLog)).size(), 0);
    EXPECT_TRUE(memo()->toPlainText().isEmpty());
    EXPECT_EQ(markers(), colours);
    EXPECT_TRUE(editing()) << "clearing leaves the editing state alone";
    form().close();
}

TEST_F(UsedTeamsWindow, EditingSurvivesClosingAndAnUnstorableCharacterStopsTheSave) {
    writeStandardFiles();
    start();
    writeLines(DataFile::UsedTeamsLog, {"A", "B"});
    open();
    button("Button1")->click();
    form().close();
    open();
    EXPECT_TRUE(editing());
    EXPECT_EQ(memo()->toPlainText(), "A\nB\n");

    memo()->setPlainText(QStringLiteral("A\nŁódź"));
    button("Button3")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("«Ł» (U+0141) в строке 2")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "A\r\nB\r\n");
    EXPECT_TRUE(editing());
    form().close();
}

TEST_F(UsedTeamsWindow, TeamsAppendedWhileTheWindowIsOpenAreNotOverwrittenWithoutAsking) {
    writeStandardFiles();
    start();
    writeLines(DataFile::UsedTeamsLog, {"A", "B"});
    open();
    button("Button1")->click();
    memo()->setPlainText(QStringLiteral("A"));
    // "Расписание" appends a tournament meanwhile.
    program->form1().findChild<QPushButton *>("Button2")->click();
    program->form1().findChild<QPushButton *>("Button1")->click();
    const QByteArray appended = read(DataFile::UsedTeamsLog);
    ASSERT_EQ(splitLines(appended).size(), 5);

    boxes.answers = {Messages::Answer::No};
    button("Button3")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, TForm8::kLogChangedQuestion);
    EXPECT_EQ(read(DataFile::UsedTeamsLog), appended);
    EXPECT_EQ(memo()->toPlainText(), QString::fromLatin1(splitLines(appended).join('\n') + '\n'))
        << "the window shows the log as it is now";
    EXPECT_TRUE(editing());

    // Once the window shows the file as it is, a save asks nothing; after it,
    // another save of the same file asks nothing either.
    memo()->setPlainText(QStringLiteral("A\nB"));
    button("Button3")->click();
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "A\r\nB");
    button("Button1")->click();
    button("Button3")->click();
    EXPECT_EQ(boxes.shown.size(), 1u);

    // Asked and answered Yes, the window's text goes over the file.
    writeLines(DataFile::UsedTeamsLog, {"changed"});
    memo()->setPlainText(QStringLiteral("mine"));
    button("Button1")->click();
    boxes.answers = {Messages::Answer::Yes};
    button("Button3")->click();
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "mine");
    form().close();
}
