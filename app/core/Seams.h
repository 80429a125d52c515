#pragma once

#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>

// The places where the program meets the user or the outside world in a way
// that a test must control: modal message boxes, ending the program, random
// numbers, and handing a file or an address to the desktop.

class Messages {
public:
    enum class Answer { Yes, No, Cancel, Ok };

    virtual ~Messages() = default;
    // Every text is shown as plain text: it may quote file contents and typed names.
    virtual void information(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    // A question with Yes and No before something is destroyed; No is the default
    // answer, and closing the box counts as No.
    virtual Answer askYesNo(const QString &text) = 0;
    // A question with Yes, No and Cancel; closing the box counts as Cancel.
    virtual Answer askYesNoCancel(const QString &text) = 0;
    // A question with OK and Cancel; closing the box counts as Cancel.
    virtual Answer askOkCancel(const QString &text) = 0;
};

// The message boxes in use. Until the program installs its own, messages go to
// the standard error stream and every question is answered Cancel.
Messages &messages();
// Installs another set of message boxes (nullptr restores the fallback); the
// caller keeps ownership.
void setMessages(Messages *replacement);

// Ends the program with an exit code; the caller returns right after the call.
// Inside the event loop the loop is left. Before it runs (while the windows are
// being created) the end is only recorded: the program's entry asks for it with
// pendingProgramEnd() and returns the code once the windows are destroyed.
void endProgram(int exitCode);
std::optional<int> pendingProgramEnd();
// Replaces what endProgram does; an empty function restores the default.
void setProgramEnd(std::function<void(int)> handler);

// Asks the desktop to open a file or a web address with the user's own
// application (xdg-open). True when the desktop took the request; an opener
// that fails afterwards is told to the main window by the opener that the
// program installs. Until the program installs one, nothing is opened and the
// answer is false.
bool openWithDesktop(const QUrl &url);
// Installs the opener; an empty function restores the default.
void setDesktopOpener(std::function<bool(const QUrl &)> opener);

// The one random generator of the program.
class Random {
public:
    // Starts a new sequence from the clock. Once the generator is fixed, this
    // keeps the fixed sequence going instead, so that tests are repeatable.
    void seedFromClock();
    // A uniform integer from 0 to n - 1; n must be positive.
    int below(int n);
    // Fixes the sequence for tests.
    void fix(std::uint64_t seed);

private:
    std::mt19937_64 m_engine{std::random_device{}()};
    std::uint64_t m_reseeds = 0;
    bool m_fixed = false;
};

Random &randomGenerator();
