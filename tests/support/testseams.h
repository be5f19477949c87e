#pragma once

#include "platform/core/seams.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class QDialog;

namespace testsupport {

// Stands in for the person at the screen during a test.  Every message box
// must be expected (in order), every modal window must have a driver, every
// file dialog a queued answer; anything else fails the test.  Installed for
// the life of the object.
class TestSeams : public platform::Seams {
public:
    using MessageAnswer = std::function<int(const platform::MessageCall &)>;
    using ModalDriver = std::function<int(QDialog *)>;

    struct ProgramCall {
        QString program;
        QStringList args;
        QString folder;
        platform::ProgramFailed failed;  // what the caller wants to hear of a failure
    };

    TestSeams();
    ~TestSeams() override;
    TestSeams(const TestSeams &) = delete;
    TestSeams &operator=(const TestSeams &) = delete;

    // The next message box must contain `textContains` (empty matches any);
    // it is answered with `answer` (platform::Yes, ...).
    void expectMessage(const QString &textContains, int answer);
    void expectMessage(const QString &textContains, MessageAnswer answer);

    // The next modal showing of a window with this objectName runs `driver`,
    // which works the window and returns its result code.  The window is
    // shown while the driver runs, as it would be on screen.
    void onModal(const QString &objectName, ModalDriver driver);

    // Answers for file and folder dialogs, in order; an empty text cancels.
    void answerFileDialog(const QString &path);

    // What starting a program reports (true unless set).
    void setStartProgramResult(bool ok) { m_startResult = ok; }
    // Programs really start (through the machine's seams), still recorded:
    // for tests whose stand-in programs are scripts on the PATH.
    void runProgramsOnMachine(bool on) { m_programsOnMachine = on; }

    const std::vector<platform::MessageCall> &calls() const { return m_calls; }
    const std::vector<platform::FileDialogCall> &fileDialogs() const { return m_fileCalls; }
    const std::vector<ProgramCall> &programs() const { return m_programs; }
    const std::vector<int> &sleeps() const { return m_sleeps; }

    // Fails the test for every expectation, driver or answer left unused.
    void verifyAllUsed();

    int messageBox(QWidget *parent, const platform::MessageCall &call) override;
    int showModal(QDialog *window) override;
    QString fileDialog(QWidget *parent, const platform::FileDialogCall &call) override;
    QDateTime now() override;
    void sleepMs(int ms) override;
    bool startProgram(const QString &program, const QStringList &args, const QString &folder,
                      const platform::ProgramFailed &failed) override;

private:
    struct Expected {
        QString textContains;
        MessageAnswer answer;
    };
    struct Modal {
        QString objectName;
        ModalDriver driver;
    };

    platform::Seams *m_previous = nullptr;
    std::deque<Expected> m_expected;
    std::vector<Modal> m_modals;
    std::deque<QString> m_fileAnswers;
    std::vector<platform::MessageCall> m_calls;
    std::vector<platform::FileDialogCall> m_fileCalls;
    std::vector<ProgramCall> m_programs;
    std::vector<int> m_sleeps;
    bool m_startResult = true;
    bool m_programsOnMachine = false;
};

} // namespace testsupport
