#pragma once

#include "DataFiles.h"
#include "Seams.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

// A text of the test's source as a QString: the sources are UTF-8.
inline QString u8(const char *text) {
    return QString::fromUtf8(text);
}

// Test failures show texts as texts.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// Windows-1251 bytes of a text written in the test source, for team names.
QByteArray cp(const char *utf8);

// Message boxes that a test answers and reads back.
class ScriptedMessages final : public Messages {
public:
    enum class Kind { Information, Error, YesNo, YesNoCancel, OkCancel };
    struct Shown {
        Kind kind;
        QString text;
    };

    void information(const QString &text) override;
    void error(const QString &text) override;
    Answer askYesNo(const QString &text) override;
    Answer askYesNoCancel(const QString &text) override;
    Answer askOkCancel(const QString &text) override;

    QStringList texts() const;

    std::vector<Shown> shown;
    // Answers for the questions, in order; a question without an answer fails the test.
    std::deque<Answer> answers;
    // Runs whenever a box is shown, before it is answered.
    std::function<void()> onShow;

private:
    Answer ask(Kind kind, const QString &text);
};

// Each test runs in a fresh temporary working directory with scripted message
// boxes, a fixed random sequence and an observed end of the program.
class WorkDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void write(const QString &name, const QByteArray &bytes) const;
    void writeLines(const QString &name, const Lines &lines) const;
    QByteArray read(const QString &name) const;
    QString path(const QString &name) const;

    // The five lists with n1..n5 teams named by list ("teams4-1" and so on),
    // an empty log, "gift.txt", "last.txt" and a settings file that asks nothing.
    void writeStandardFiles(int n4 = 10, int n45 = 10, int n5 = 10, int nat45 = 10, int nat5 = 10);
    void writeSettings(const Lines &lines) const { writeLines(DataFile::Settings, lines); }

    QTemporaryDir dir;
    QString previousDir;
    ScriptedMessages boxes;
    std::vector<int> endedWith;
    // What was handed to the desktop to open; desktopAccepts is the answer given.
    std::vector<QUrl> opened;
    bool desktopAccepts = true;
};

// While it lives, every write that would take a file of this process past the
// given size fails with EFBIG, as writes fail on a full disk: the file takes what
// fits, the rest is refused. The signal that would end the process is ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long m_soft = 0;
    void (*m_handler)(int) = nullptr;
};

// The names in the test's folder, hidden ones too.
QStringList folderEntries(const QString &folder);

// An executable shell script "folder/name" that runs body, standing in for a
// desktop tool (xdg-mime, xdg-open); returns its path.
QString writeScript(const QString &folder, const QString &name, const QByteArray &body);

// n teams named "<prefix>-1" .. "<prefix>-n".
Lines teams(const QByteArray &prefix, int n);
