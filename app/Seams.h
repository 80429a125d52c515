#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <random>

// The three places where the program meets the user or the outside world in a
// way that a test must control: modal message boxes, ending the program, and
// random numbers.

class Messages {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Messages() = default;
    virtual void information(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    // A question with Yes and No; closing the box counts as No.
    virtual Answer askYesNo(const QString &text) = 0;
    // A question with Yes, No and Cancel; closing the box counts as Cancel.
    virtual Answer askYesNoCancel(const QString &text) = 0;
};

// The message boxes in use. Until the program installs its own, messages go to
// the standard error stream and every question is answered Cancel.
Messages &messages();
// Installs another set of message boxes (nullptr restores the fallback); the
// caller keeps ownership.
void setMessages(Messages *replacement);

// Ends the program with an exit code. The program leaves its event loop (or
// exits at once when none runs yet); the caller returns right after the call.
void endProgram(int exitCode);
// Replaces what endProgram does; an empty function restores the default.
void setProgramEnd(std::function<void(int)> handler);

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
