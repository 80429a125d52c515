#include "Cp1251.h"
#include "ProgramTest.h"
#include "SheetPreview.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit9.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#if defined(__SANITIZE_ADDRESS__)
// Freed memory goes back at once rather than into the sanitizer's quarantine,
// so that the resident size below is what the program uses.
extern "C" const char *__asan_default_options() {
    return "quarantine_size_mb=0:allocator_release_to_os_interval_ms=0";
}
#endif

namespace {

// The most memory that the process has held so far, in bytes.
qint64 peakResident() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    return 0;
}

} // namespace

// A player named with a hundred thousand characters, in every window that shows
// names: what a window keeps must not grow with the length of the name, and the
// name must stay whole wherever it is data.
class LongNames : public OpenWindowsTest {
protected:
    static void settle() {
        for (int k = 0; k < 3; ++k) {
            QApplication::processEvents();
            QTest::qWait(10);
        }
    }

    // A whole tournament with the first player so named, then the history with
    // every tab; the heap with every window still open.
    qint64 playAndLook(const QString &name) {
        QFile::remove(path(StatsDb::FileName));
        writeStandardFiles();
        writeSettings({"0", "clubs", "[players]", toCp1251(name).value(), cp("Петя"), cp("Коля"), "[gift]", "1",
                       "[log all teams]", "1"});
        TForm1 &main = start();
        main.show();
        find<QPushButton>("Button2")->click();
        find<QPushButton>("Button1")->click();
        find<QPushButton>("BitBtn1")->click();
        TForm9 &results = program->form9();
        for (int k = 0; k < 12; ++k) {
            findIn<QLineEdit>(&results, QStringLiteral("Edit%1").arg(k + 1).toLatin1())
                ->setText(QString::number(k % 3));
        }
        findIn<QPushButton>(&results, "Button1")->click();
        findIn<QPushButton>(&results, "BitBtn1")->click();
        find<QAction>("N9")->trigger(); // the sheet's preview
        program->form10().openHistory();
        auto *tabs = findIn<QTabWidget>(&program->form10(), "PageControl1");
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            settle();
        }
        settle();
        return peakResident();
    }
    void endRun() {
        closeAll();
        program.reset();
        boxes.shown.clear();
    }
};

TEST_F(LongNames, EveryWindowShowsANameOfAnyLengthInTheSameMemory) {
    const QString shortName = QStringLiteral("Вася");
    const QString longName = QStringLiteral("Вася").repeated(25'000);
    playAndLook(shortName); // the fonts and caches of the first run
    endRun();
    const qint64 withShort = playAndLook(shortName);
    endRun();
    const qint64 withLong = playAndLook(longName);

    // The name itself is kept a few times over (settings, labels, the book, the
    // grid's page); everything laid out of it is cut. Laid out whole, it took
    // hundreds of megabytes in the windows and gigabytes in the chart.
    constexpr qint64 kSlack = 16 << 20;
    EXPECT_LT(withLong - withShort, kSlack)
        << "peak with a short name: " << withShort << ", with a long one: " << withLong;

    // Shown cut, with the whole name in the tooltip, and whole where it is data.
    const QLabel *label = find<QLabel>("Label16");
    EXPECT_LE(label->text().size(), 80);
    // (Compared as truths: a failure must not print the name.)
    EXPECT_TRUE(label->toolTip() == longName);
    EXPECT_TRUE(program->form1().playerNames().value(0) == longName);
    EXPECT_TRUE(statRows(path(StatsDb::FileName)).value(0).section(u' ', 0, 0) == longName)
        << "the statistics keep the whole name";
    const QComboBox *first = findIn<QComboBox>(&program->form10(), "FirstPlayer");
    EXPECT_GE(first->findData(longName), 0);
    EXPECT_LE(first->itemText(first->findData(longName)).size(), 80);
    const QAbstractItemModel *grid = findIn<QTableView>(&program->form9(), "DBGrid1")->model();
    EXPECT_LE(grid->index(0, 1).data().toString().size(), 80);
    EXPECT_TRUE(grid->index(0, 1).data(Qt::ToolTipRole).toString() == longName);
    EXPECT_TRUE(program->sheetPreview().sheet().players[0] == longName);
}
