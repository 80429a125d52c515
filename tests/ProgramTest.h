#pragma once

#include "Program.h"
#include "StatsConnection.h"
#include "Support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// Makes an empty statistics database from the schema in data/base.sql.
void makeStatsDatabase(const QString &fileName);
// The rows of "stat" in the order of their ids, read with plain SQL on a connection
// of the test's own: "name wins draws losses scored conceded difference points
// first second third".
QStringList statRows(const QString &fileName);
// Runs statements on the database file through a connection of the test's own.
void execOnStats(const QString &fileName, const QStringList &statements);
// Every row of every table, each table in a fixed order, with the storage class
// of every cell, and the schema version, as text: two files with the same dump
// hold the same book and the same statistics, value and type alike.
QStringList dumpDatabase(const QString &path);
// The same without the record of the changes taken back ("tournament_undone",
// "undone_player", "undone_match"), which an undo fills and a redo empties:
// the book and the statistics alone.
QStringList dumpBookAndStat(const QString &path);

// How long the connections of a test wait for another program's lock: long
// enough to be a wait, short enough to keep the tests quick.
inline constexpr std::chrono::milliseconds kTestLockWait{200};

// Another program on the statistics file: a connection of the test's own, through
// SQLite itself, that never waits for a lock.
class OtherProgram {
public:
    explicit OtherProgram(const QString &fileName);
    ~OtherProgram();
    OtherProgram(const OtherProgram &) = delete;
    OtherProgram &operator=(const OtherProgram &) = delete;

    // A write in progress: no other connection may read or write.
    void holdExclusive();
    // An open read: a statement stepped once and not finished inside a
    // transaction. Others may still read and write, but no write can commit.
    void holdRead();
    // Ends what is held, without changing the file.
    void release();
    // Takes the file for writing at once and commits; false when another
    // connection stands in the way.
    bool writesAtOnce();
    // Reads "stat" at once on a connection of its own; false when a write that
    // is about to commit keeps new readers out.
    bool newReaderReadsAtOnce() const;

private:
    void exec(const char *statement);

    QString m_fileName;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_read = nullptr;
};

// A test over the statistics file in its working directory: the short lock
// wait, and a connection that is closed, with every other, before the folder goes.
class StatsFileTest : public WorkDirTest {
protected:
    void SetUp() override { WorkDirTest::SetUp(); }
    void TearDown() override {
        connection.reset();
        EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
        WorkDirTest::TearDown();
    }
    // Opens the file in the working directory as the program does.
    void openConnection() {
        Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName, kTestLockWait);
        ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
        connection = std::move(opened).value();
    }

    std::unique_ptr<StatsConnection> connection;
};

// Window tests: the whole program with its eight windows, created in a
// temporary working directory. After each test no window may be left on screen.
class ProgramTest : public WorkDirTest {
protected:
    void SetUp() override { WorkDirTest::SetUp(); }
    void TearDown() override {
        program.reset();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(window->isVisible()) << "left open: " << window->objectName().toStdString();
            if (window->isVisible()) {
                window->hide();
            }
        }
        WorkDirTest::TearDown();
    }

    // Creates the program's windows; the main window's creation runs start-up. A
    // fresh statistics database is made first when the directory has none, unless
    // the test asks for none.
    TForm1 &start();
    bool makeDatabase = true;

    // A control of a window by the name the design gives it.
    template <typename T> static T *findIn(const QObject *window, const char *name) {
        T *control = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // A control of the main window.
    template <typename T> T *find(const char *name) const { return findIn<T>(mainWindow(), name); }
    QString text(const char *label) const { return find<QLabel>(label)->text(); }
    QStringList items(const char *comboName) const {
        const QComboBox *box = find<QComboBox>(comboName);
        QStringList list;
        for (int i = 0; i < box->count(); ++i) {
            list.append(box->itemText(i));
        }
        return list;
    }
    const QObject *mainWindow() const;

    std::unique_ptr<Program> program;
};

// Window tests that leave the program's windows open as a user would: they are
// closed before the check that nothing else was left on screen.
class OpenWindowsTest : public ProgramTest {
protected:
    void TearDown() override {
        closeAll();
        ProgramTest::TearDown();
    }
    // Hides every window the program made.
    void closeAll() {
        if (program) {
            for (QWidget *window : program->windowsMade()) {
                window->hide();
            }
        }
    }
};
