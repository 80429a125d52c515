#include "ProgramTest.h"
#include "SettingsFile.h"
#include "Unit1.h"
#include "Unit51.h"
#include "Unit6.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const Lines kTenLines = {"0", "natteams", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"};

// The file that the window's choices make.
Result<Lines> settingsFileLines(const SettingsChosen &chosen) {
    const Result<Settings> settings = chosenSettings(chosen);
    return settings.ok() ? Result<Lines>(settingsLines(settings.value())) : Result<Lines>(settings.status());
}

} // namespace

// ---- the rules, without a window ---------------------------------------------------

TEST(SettingsFile, ShowsTheFileByTheProgramsOneRulePerValue) {
    struct Case {
        Lines file;
        bool ask;
        int kind;
        bool gifts;
    };
    // The kind is asked only for exactly "1"; gifts are drawn only for exactly
    // "1", and for a file without "[gift]", as the gift award decides them.
    const Case cases[] = {
        {kTenLines, false, 1, true},
        {{"1", "random", "[players]", "A", "B", "C", "[gift]", "0"}, true, 2, false},
        // Exact comparisons: another letter case or a trailing blank is no value.
        {{"1 ", "Clubs", "[players]", "A", "B", "C", "[gift]", "1 "}, false, kNoKind, false},
        {{"2", "clubs ", "[gift]", ""}, false, kNoKind, false},
        // A file without a kind line: the names' marker stands second.
        {{"0", "[players]", "A", "B", "C", "[gift]", "yes"}, false, kNoKind, false},
        // No "[gift]" at all, or nothing after it.
        {{"1", "clubs", "[players]", "A", "B", "C"}, true, 0, true},
        {{"0", "natteams", "[gift]"}, false, 1, false},
        {{}, false, kNoKind, true},
    };
    for (const Case &c : cases) {
        const SettingsShown shown = settingsShown(parseSettings(c.file));
        const QByteArray file = joinLines(c.file);
        EXPECT_EQ(shown.askAtStart, c.ask) << file.toStdString();
        EXPECT_EQ(shown.kind, c.kind) << file.toStdString();
        EXPECT_EQ(shown.randomGifts, c.gifts) << file.toStdString();
    }
}

TEST(SettingsFile, WritesTenLinesOrNineWithoutAKind) {
    SettingsChosen chosen;
    chosen.askAtStart = true;
    chosen.kind = 2;
    chosen.players = {QStringLiteral("Вася"), QString(), QStringLiteral(" Коля ")};
    chosen.randomGifts = false;
    chosen.logAllTeams = false;
    const Result<Lines> lines = settingsFileLines(chosen);
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(lines.value(),
              (Lines{"1", "random", "[players]", cp("Вася"), "", cp(" Коля "), "[gift]", "0", "[log all teams]", "0"}));

    chosen.kind = kNoKind;
    chosen.askAtStart = false;
    chosen.randomGifts = true;
    chosen.logAllTeams = true;
    ASSERT_TRUE(settingsFileLines(chosen).ok());
    EXPECT_EQ(settingsFileLines(chosen).value(),
              (Lines{"0", "[players]", cp("Вася"), "", cp(" Коля "), "[gift]", "1", "[log all teams]", "1"}));
}

TEST(SettingsFile, RefusesNamesThatWouldNotComeBackAsTyped) {
    SettingsChosen chosen;
    chosen.players = {QStringLiteral("A"), QStringLiteral("Zoë"), QStringLiteral("C")};
    Result<Lines> lines = settingsFileLines(chosen);
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().contains(QStringLiteral("Имя игрока 2"))) << lines.error().toStdString();
    EXPECT_TRUE(lines.error().contains(QStringLiteral("«ë» (U+00EB)"))) << lines.error().toStdString();

    chosen.players = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Гол ⚽ 😀")};
    lines = settingsFileLines(chosen);
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().contains(QStringLiteral("Имя игрока 3"))) << lines.error().toStdString();
    EXPECT_TRUE(lines.error().contains(QStringLiteral("U+26BD"))) << "the first such character is named";

    // A line break would shift every later line of the file.
    chosen.players = {QStringLiteral("A\nB"), QStringLiteral("B"), QStringLiteral("C")};
    lines = settingsFileLines(chosen);
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().contains(QStringLiteral("перевод строки"))) << lines.error().toStdString();

    // Everything Windows-1251 holds goes through, "€" and "№" included.
    chosen.players = {QStringLiteral("Пётр №1"), QStringLiteral("€"), QStringLiteral("«Ёж»")};
    ASSERT_TRUE(settingsFileLines(chosen).ok());
}

// A name spelled as a section marker would be found in place of the marker, and
// the values after it read from the wrong lines: "0" for the gifts came back as
// random gifts. A file that lacks a name line shows the marker as the name.
TEST(SettingsFile, RefusesANameSpelledAsASectionMarker) {
    SettingsChosen chosen;
    chosen.randomGifts = false;
    chosen.logAllTeams = false;
    for (const char *marker : {"[gift]", "[log all teams]", "[players]"}) {
        chosen.players = {QStringLiteral("A"), QString::fromLatin1(marker), QStringLiteral("C")};
        const Result<Lines> lines = settingsFileLines(chosen);
        ASSERT_FALSE(lines.ok()) << marker;
        EXPECT_TRUE(lines.error().contains(QStringLiteral("Имя игрока 2"))) << lines.error().toStdString();
        EXPECT_TRUE(lines.error().contains(QString::fromLatin1(marker))) << lines.error().toStdString();
    }

    // Only the whole line counts as the marker, as the reader compares it.
    chosen.players = {QStringLiteral("[gift] "), QStringLiteral("[Gift]"), QStringLiteral("gift")};
    const Result<Lines> lines = settingsFileLines(chosen);
    ASSERT_TRUE(lines.ok());
    const SettingsShown shown = settingsShown(parseSettings(lines.value()));
    EXPECT_FALSE(shown.randomGifts);
    EXPECT_EQ(parseSettings(lines.value()).players, (PlayerNames{"[gift] ", "[Gift]", "gift"}));
}

// ---- the window ------------------------------------------------------------------------

class SettingsDialog : public ProgramTest {
protected:
    TForm6 &dialog() const { return program->form6(); }
    template <typename T> T *control(const char *name) const { return findIn<T>(&program->form6(), name); }
    QRadioButton *kind(int index) const {
        const char *names[] = {"RadioButton1", "RadioButton2", "RadioButton3"};
        return control<QRadioButton>(names[index]);
    }
    std::array<bool, 3> kindsChecked() const {
        return {kind(0)->isChecked(), kind(1)->isChecked(), kind(2)->isChecked()};
    }

    // "&Настройки..." in the main window, with the main window on screen.
    void openFromMainWindow() {
        program->form1().show();
        QApplication::setActiveWindow(&program->form1());
        find<QAction>("N8")->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog()));
    }
    // Another window of the program takes the focus, then the dialog gets it back.
    void leaveAndComeBack(QWidget *other) {
        QApplication::setActiveWindow(other);
        QApplication::setActiveWindow(&dialog());
    }
    void pressOk() { QTest::mouseClick(control<QPushButton>("BitBtn1"), Qt::LeftButton); }
    void closeAll() {
        dialog().hide();
        program->form5().hide();
        program->form1().hide();
    }
};

TEST_F(SettingsDialog, ControlsStartAsTheLayoutSays) {
    writeStandardFiles();
    start();
    TForm6 &form = dialog();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(form.size(), QSize(380, 185));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);

    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, false, false}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(kind(i)->isEnabled()) << i;
    }
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("CheckBox4")->isChecked());
    QPushButton *ok = control<QPushButton>("BitBtn1");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->icon().isNull());
}

TEST_F(SettingsDialog, OpensWithTheNamesAndTheKindFromTheFile) {
    writeStandardFiles();
    writeSettings(kTenLines);
    start();
    openFromMainWindow();
    EXPECT_FALSE(program->form1().isEnabled()) << "the main window waits for the dialog";
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), "A");
    EXPECT_EQ(control<QLineEdit>("Edit3")->text(), "C");
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, true, false}));
    EXPECT_FALSE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(kind(0)->isEnabled());

    // Checking "Спрашивать при запуске" only disables the kind buttons.
    control<QCheckBox>("CheckBox1")->click();
    EXPECT_FALSE(kind(1)->isEnabled());
    EXPECT_TRUE(kind(1)->isChecked());
    control<QCheckBox>("CheckBox1")->click();
    EXPECT_TRUE(kind(1)->isEnabled());
    // One kind at most.
    QTest::mouseClick(kind(2), Qt::LeftButton);
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, false, true}));
    closeAll();
}

TEST_F(SettingsDialog, EveryActivationShowsTheFileAgainButKeepsTypedNames) {
    writeStandardFiles();
    writeSettings({"1", "Natteams", "[players]", "A", "B", "C", "[gift]", ""});
    boxes.answers = {Messages::Answer::Yes}; // the start-up's question of the kind
    start();
    openFromMainWindow();
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, false, false})) << "no kind word, nothing selected";
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(kind(0)->isEnabled());
    EXPECT_FALSE(control<QCheckBox>("CheckBox4")->isChecked()) << "an empty gift line means no gifts, as for the award";

    control<QCheckBox>("CheckBox1")->click();
    QTest::mouseClick(kind(0), Qt::LeftButton);
    control<QCheckBox>("CheckBox4")->click();
    control<QLineEdit>("Edit2")->setText(QStringLiteral("Борис"));
    // Another window of the program and back: the file counts again.
    leaveAndComeBack(&program->form1());
    EXPECT_TRUE(program->form1().isEnabled()) << "leaving the dialog gives the main window back";
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(kind(0)->isEnabled());
    EXPECT_TRUE(kind(0)->isChecked()) << "a line that selects nothing keeps the selection";
    EXPECT_FALSE(control<QCheckBox>("CheckBox4")->isChecked()) << "the file counts again";
    EXPECT_EQ(control<QLineEdit>("Edit2")->text(), QStringLiteral("Борис"));

    writeSettings({"0", "random", "[players]", "A", "B", "C", "[gift]", "0"});
    leaveAndComeBack(&program->form1());
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, false, true}));
    EXPECT_FALSE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckBox4")->isChecked());

    // Losing the focus to another application is no return from another window.
    QTest::mouseClick(kind(0), Qt::LeftButton);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&dialog());
    EXPECT_TRUE(kind(0)->isChecked());
    closeAll();
}

TEST_F(SettingsDialog, OkRewritesTheFileAndShowsTheNamesAtOnce) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1", "extra"});
    start();
    openFromMainWindow();
    QTest::mouseClick(kind(2), Qt::LeftButton);
    control<QCheckBox>("CheckBox1")->click();
    control<QCheckBox>("CheckBox4")->click();
    control<QLineEdit>("Edit1")->setText(QStringLiteral("Вася"));
    control<QLineEdit>("Edit2")->clear();
    // The main window's "Не использовать ВСЕ последние" as it is at the moment of OK.
    find<QCheckBox>("CheckBox4")->setChecked(false);
    pressOk();

    EXPECT_EQ(read(DataFile::Settings),
              joinLines({"1", "random", "[players]", cp("Вася"), "", "C", "[gift]", "0", "[log all teams]", "0"}));
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(program->form1().isEnabled());
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));
    EXPECT_EQ(text("Label17"), QString());
    EXPECT_EQ(text("Label18"), QStringLiteral("C"));

    // The next opening shows the names from the main window.
    find<QCheckBox>("CheckBox4")->setChecked(true);
    control<QLineEdit>("Edit1")->setText(QStringLiteral("typed, not saved"));
    openFromMainWindow();
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("Вася"));
    EXPECT_TRUE(control<QLineEdit>("Edit2")->text().isEmpty());
    control<QLineEdit>("Edit1")->setFocus();
    QTest::keyClick(control<QLineEdit>("Edit1"), Qt::Key_Return);
    EXPECT_FALSE(dialog().isVisible()) << "Enter presses OK";
    EXPECT_EQ(read(DataFile::Settings),
              joinLines({"1", "random", "[players]", cp("Вася"), "", "C", "[gift]", "0", "[log all teams]", "1"}));
    closeAll();
}

TEST_F(SettingsDialog, OkWithoutAKindWritesNineLines) {
    writeStandardFiles();
    writeSettings({"0", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    start();
    openFromMainWindow();
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{false, false, false}));
    pressOk();
    EXPECT_EQ(read(DataFile::Settings),
              joinLines({"0", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"}));
    closeAll();
}

TEST_F(SettingsDialog, CloseAndTheCatalogueGiveTheMainWindowBack) {
    writeStandardFiles();
    const QByteArray before = read(DataFile::Settings);
    start();
    openFromMainWindow();
    control<QLineEdit>("Edit1")->setText("X");
    EXPECT_TRUE(dialog().close());
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(program->form1().isEnabled());
    EXPECT_EQ(read(DataFile::Settings), before) << "closing saves nothing";
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));

    openFromMainWindow();
    QTest::mouseClick(kind(1), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>("CheckBox1"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Button5"), Qt::LeftButton);
    EXPECT_TRUE(program->form1().isEnabled());
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_TRUE(program->form5().isVisible());
    // Back from the catalogue, the dialog shows the file again.
    leaveAndComeBack(&program->form5());
    EXPECT_EQ(kindsChecked(), (std::array<bool, 3>{true, false, false}));
    EXPECT_FALSE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(boxes.shown.empty());
    closeAll();
}

TEST_F(SettingsDialog, FailedSaveKeepsTheDialogAndTheFile) {
    writeStandardFiles();
    const QByteArray before = read(DataFile::Settings);
    start();
    openFromMainWindow();
    control<QLineEdit>("Edit1")->setText(QStringLiteral("Ivan 🙂"));
    pressOk();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("🙂"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(read(DataFile::Settings), before);
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_FALSE(program->form1().isEnabled());
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));

    // The error box over the dialog is no other window of the program: coming
    // back from it neither gives the main window back nor reads the file again.
    QTest::mouseClick(control<QCheckBox>("CheckBox1"), Qt::LeftButton);
    {
        QDialog box(&dialog());
        box.setModal(true);
        box.show();
        QApplication::setActiveWindow(&box);
        EXPECT_FALSE(program->form1().isEnabled());
        box.hide();
        QApplication::setActiveWindow(&dialog());
    }
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());

    // A full disk: the same, with the file's name and the reason, and the file as it was.
    control<QLineEdit>("Edit1")->setText(QStringLiteral("Ivan"));
    {
        const FileSizeLimit fullDisk(8);
        pressOk();
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.contains(QDir::toNativeSeparators(path(DataFile::Settings))))
        << boxes.shown[1].text.toStdString();
    EXPECT_EQ(read(DataFile::Settings), before);
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));

    // A file that cannot be replaced: the same.
    ASSERT_TRUE(QFile::remove(path(DataFile::Settings)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::Settings));
    pressOk();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[2].text.contains(QDir::toNativeSeparators(path(DataFile::Settings))))
        << boxes.shown[2].text.toStdString();
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_FALSE(program->form1().isEnabled());
    EXPECT_EQ(text("Label16"), QStringLiteral("Вася"));

    // Reading fails the same way; the controls keep their states.
    leaveAndComeBack(&program->form1());
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_TRUE(boxes.shown[3].text.contains(DataFile::Settings));
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    closeAll();
}
