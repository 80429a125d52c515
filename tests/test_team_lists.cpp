#include "EditorText.h"
#include "ProgramFont.h"
#include "ProgramTest.h"
#include "Unit1.h"
#include "Unit2.h"
#include "WidgetMessages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

// ---- the text of the editors ------------------------------------------------

class EditorFiles : public WorkDirTest {};

TEST_F(EditorFiles, CountTheLinesOfTheFileWhateverItsLineEnds) {
    struct Case {
        QByteArray bytes;
        qsizetype lines;
        QString text;
    };
    const Case cases[] = {
        {"A\r\nB\r\nC\r\n", 3, "A\nB\nC\n"},
        {"A\r\nB\r\nC", 3, "A\nB\nC"},
        {"A\r\n\r\nC", 3, "A\n\nC"},       // an empty line inside counts
        {"A\r\nB\r\n\r\n", 3, "A\nB\n\n"}, // two final line ends: an empty last line
        {"A\nB\rC\r\n", 3, "A\nB\nC\n"},   // LF and a lone CR end lines as well
        {"\r\n", 1, "\n"},
        {"", 0, ""},
    };
    for (const Case &test : cases) {
        write("list.txt", test.bytes);
        const Result<EditorText> loaded = loadEditorText("list.txt");
        ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
        EXPECT_EQ(loaded.value().lines, test.lines) << test.bytes.toStdString();
        EXPECT_EQ(loaded.value().text, test.text) << test.bytes.toStdString();
        // Saved unchanged, a file with CR LF line ends comes back byte for byte,
        // an empty last line included.
        if (QByteArray(test.bytes).replace("\r\n", "").count('\r') +
                QByteArray(test.bytes).replace("\r\n", "").count('\n') ==
            0) {
            EXPECT_EQ(editorBytes(loaded.value().text, "list.txt").value(), test.bytes) << test.bytes.toStdString();
        }
    }
    write("list.txt", cp("Зенит\r\nЁжики") + "\xA0" + cp("СПб"));
    EXPECT_EQ(loadEditorText("list.txt").value().text, QStringLiteral("Зенит\nЁжики\u00A0СПб"));
    EXPECT_EQ(lineCountCaption(37), QStringLiteral("(37)"));

    const Result<EditorText> missing = loadEditorText("missing.txt");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().startsWith("File not found")) << missing.error().toStdString();
}

TEST(EditorBytes, AreWindows1251LinesSeparatedByCrLfWithoutAFinalLineEnd) {
    EXPECT_EQ(editorBytes(QStringLiteral("Зенит\nЛацио"), "x").value(), cp("Зенит\r\nЛацио"));
    // Every kind of line break of the editor, and an empty last line.
    EXPECT_EQ(editorBytes(QStringLiteral("A\u2029B\u2028C\r\nD\rE\n"), "x").value(), "A\r\nB\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(editorBytes(QString(), "x").value(), QByteArray());
    // A no-break space is a character of the code page and is kept as such.
    EXPECT_EQ(editorBytes(QStringLiteral("Ак\u00A0Барс"), "x").value(), cp("Ак") + "\xA0" + cp("Барс"));
}

TEST(EditorBytes, NameTheFirstCharacterThatWindows1251CannotHoldAndItsLine) {
    const Result<QByteArray> emoji = editorBytes(QStringLiteral("Зенит\nЛацио\nРома 😀 é"), "teams4.txt");
    ASSERT_FALSE(emoji.ok());
    EXPECT_TRUE(emoji.error().contains(QStringLiteral("«😀» (U+1F600) в строке 3"))) << emoji.error().toStdString();
    EXPECT_TRUE(emoji.error().contains("teams4.txt"));

    const Result<QByteArray> accent = editorBytes(QStringLiteral("A\nCafé\n😀"), "x");
    ASSERT_FALSE(accent.ok());
    EXPECT_TRUE(accent.error().contains(QStringLiteral("«é» (U+00E9) в строке 2"))) << accent.error().toStdString();
}

// ---- the window --------------------------------------------------------------

class TeamListsWindow : public ProgramTest {
protected:
    // The program's own font, for which the window places its controls.
    void SetUp() override {
        ProgramTest::SetUp();
        previousFont = QApplication::font();
        QApplication::setFont(programFont());
    }
    void TearDown() override {
        ProgramTest::TearDown();
        QApplication::setFont(previousFont);
    }

    TForm2 &form() const { return program->form2(); }
    template <typename T> T *control(const char *prefix, int tab) const {
        return findIn<T>(&form(), (prefix + std::to_string(tab)).c_str());
    }
    QPlainTextEdit *memo(int tab) const { return control<QPlainTextEdit>("Memo", tab); }
    QPushButton *edit(int tab) const { return control<QPushButton>("Button", tab); }
    QPushButton *ok(int tab) const { return control<QPushButton>("BitBtn", tab); }
    QString count(int tab) const { return control<QLabel>("Label", tab)->text(); }
    bool editing(int tab) const {
        const bool writable = !memo(tab)->isReadOnly();
        EXPECT_EQ(!edit(tab)->isEnabled(), writable) << tab;
        EXPECT_EQ(ok(tab)->isEnabled(), writable) << tab;
        return writable;
    }
    void open() { find<QAction>("N5")->trigger(); }

    QFont previousFont;
};

TEST_F(TeamListsWindow, StartsHiddenWithTheNationalTeamsOnTopAndEveryTabInViewing) {
    writeStandardFiles();
    start();
    EXPECT_FALSE(form().isVisible());
    const QTabWidget *pages = findIn<QTabWidget>(&form(), "PageControl1");
    QStringList captions;
    QStringList sheets;
    for (int i = 0; i < pages->count(); ++i) {
        captions.append(pages->tabText(i));
        sheets.append(pages->widget(i)->objectName());
    }
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("Клубы 4 *"), QStringLiteral("Клубы 4,5 *"), QStringLiteral("Клубы 5 *"),
                           QStringLiteral("Сборные 4,5*"), QStringLiteral("Сборные 5*")}));
    EXPECT_EQ(sheets, (QStringList{"TabSheet4", "TabSheet3", "TabSheet1", "TabSheet2", "TabSheet5"}));
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet2");

    form().show();
    for (int tab = 1; tab <= 5; ++tab) {
        EXPECT_FALSE(editing(tab));
        // The tab buttons leave the whole page to its controls.
        EXPECT_LE(ok(tab)->geometry().bottom(), ok(tab)->parentWidget()->height() - 1) << tab;
    }
    EXPECT_EQ(form().size(), QSize(218, 481));
    EXPECT_EQ(form().minimumSize(), form().maximumSize());
    form().hide();
}

TEST_F(TeamListsWindow, ShowsEveryListWithTheNumberOfItsLines) {
    writeStandardFiles();
    start();
    write(DataFile::Teams4, cp("Зенит\r\nЛацио\r\nРома\r\n"));
    write(DataFile::Teams45, cp("Зенит\r\nЛацио\r\nРома"));
    write(DataFile::Teams5, cp("Зенит\r\n\r\nРома\r\n\r\n"));
    write(DataFile::NatTeams45, {});
    write(DataFile::NatTeams5, "A\nB\rC");
    open();
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(memo(4)->toPlainText(), QStringLiteral("Зенит\nЛацио\nРома\n"));
    EXPECT_EQ(memo(3)->toPlainText(), QStringLiteral("Зенит\nЛацио\nРома"));
    EXPECT_EQ(memo(1)->toPlainText(), QStringLiteral("Зенит\n\nРома\n\n"));
    EXPECT_EQ(memo(2)->toPlainText(), QString());
    EXPECT_EQ(memo(5)->toPlainText(), "A\nB\nC");
    EXPECT_EQ((QStringList{count(4), count(3), count(1), count(2), count(5)}),
              (QStringList{"(3)", "(3)", "(4)", "(0)", "(3)"}));
    EXPECT_TRUE(boxes.shown.empty());
    form().close();
}

TEST_F(TeamListsWindow, AListThatCannotBeReadStopsTheLoadingWithTheWindowOpen) {
    writeStandardFiles(3, 3, 3, 3, 3);
    start();
    open();
    form().close();

    writeLines(DataFile::Teams45, teams("new45", 4));
    writeLines(DataFile::Teams4, teams("new4", 5));
    writeLines(DataFile::Teams5, teams("new5", 6));
    QFile::remove(path(DataFile::NatTeams45));
    writeLines(DataFile::NatTeams5, teams("new-nat5", 7));
    bool visibleAtTheError = false;
    boxes.onShow = [&] { visibleAtTheError = form().isVisible(); };
    open();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains("File not found")) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(visibleAtTheError) << "the window is shown before any list is read";
    // The lists before the failing one are new, the failing one and those after it are as they were.
    EXPECT_EQ((QStringList{count(3), count(4), count(1), count(2), count(5)}),
              (QStringList{"(4)", "(5)", "(6)", "(3)", "(3)"}));
    EXPECT_TRUE(memo(1)->toPlainText().startsWith("new5-1"));
    EXPECT_TRUE(memo(5)->toPlainText().startsWith("natteams5-1"));
    form().close();
}

TEST_F(TeamListsWindow, SavesTheEditedListAsItStandsAndKeepsTheCount) {
    writeStandardFiles();
    start();
    open();
    EXPECT_EQ(count(4), "(10)");
    edit(4)->click();
    EXPECT_TRUE(editing(4));
    EXPECT_FALSE(editing(3)) << "each button acts on its own tab";

    memo(4)->setPlainText(QStringLiteral("Зенит\n\nАк\u00A0Барс"));
    ok(4)->click();
    EXPECT_EQ(read(DataFile::Teams4), cp("Зенит\r\n\r\nАк") + "\xA0" + cp("Барс"));
    EXPECT_FALSE(editing(4));
    EXPECT_EQ(count(4), "(10)") << "counted again only at the next opening";
    open();
    EXPECT_EQ(count(4), "(3)");
    EXPECT_TRUE(boxes.shown.empty());
    form().close();
}

TEST_F(TeamListsWindow, ATabLeftInEditingStaysInEditingWithTheFileReloaded) {
    writeStandardFiles();
    start();
    open();
    edit(1)->click();
    memo(1)->setPlainText("typed but not saved");
    form().close();
    writeLines(DataFile::Teams5, {"on disk"});
    open();
    EXPECT_EQ(memo(1)->toPlainText(), "on disk\n");
    EXPECT_TRUE(editing(1));
    for (int tab : {2, 3, 4, 5}) {
        EXPECT_FALSE(editing(tab));
    }
    form().close();
}

TEST_F(TeamListsWindow, ACharacterOutsideTheCodePageStopsTheSaveAndKeepsEditing) {
    writeStandardFiles();
    start();
    open();
    const QByteArray before = read(DataFile::NatTeams45);
    edit(2)->click();
    memo(2)->setPlainText(QStringLiteral("Франция\nКот-д’Ивуар\nКюрасао 🏝"));
    ok(2)->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("«🏝»"))) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("в строке 3")));
    EXPECT_EQ(read(DataFile::NatTeams45), before);
    EXPECT_TRUE(editing(2));
    form().close();
}

TEST_F(TeamListsWindow, AListThatCannotBeWrittenKeepsOkForAnotherTry) {
    writeStandardFiles();
    start();
    open();
    edit(5)->click();
    memo(5)->setPlainText("A\nB");
    ASSERT_TRUE(QFile::remove(path(DataFile::NatTeams5)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::NatTeams5));
    ok(5)->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(memo(5)->isReadOnly());
    EXPECT_FALSE(edit(5)->isEnabled());
    EXPECT_TRUE(ok(5)->isEnabled());

    ASSERT_TRUE(QDir(dir.path()).rmdir(DataFile::NatTeams5));
    ok(5)->click();
    EXPECT_EQ(read(DataFile::NatTeams5), "A\r\nB");
    EXPECT_FALSE(editing(5));
    form().close();
}
