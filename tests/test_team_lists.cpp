#include "EditorText.h"
#include "Support.h"

// ---- the text of the editors ------------------------------------------------

class EditorFiles : public WorkDirTest {};

TEST_F(EditorFiles, CountTheLinesOfTheFileWhateverItsLineEnds) {
    struct Case {
        QByteArray bytes;
        qsizetype lines;
        QString text;
    };
    const Case cases[] = {
        {"A\r\nB\r\nC\r\n", 3, "A\nB\nC"},
        {"A\r\nB\r\nC", 3, "A\nB\nC"},
        {"A\r\n\r\nC", 3, "A\n\nC"},     // an empty line inside counts
        {"A\r\nB\r\n\r\n", 3, "A\nB\n"}, // two final line ends: an empty last line
        {"A\nB\rC\r\n", 3, "A\nB\nC"},   // LF and a lone CR end lines as well
        {"\r\n", 1, ""},
        {"", 0, ""},
    };
    for (const Case &test : cases) {
        write("list.txt", test.bytes);
        const Result<EditorText> loaded = loadEditorText("list.txt");
        ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
        EXPECT_EQ(loaded.value().lines, test.lines) << test.bytes.toStdString();
        EXPECT_EQ(loaded.value().text, test.text) << test.bytes.toStdString();
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
