#include "testseams.h"

#include <QDialog>
#include <QPointer>
#include <gtest/gtest.h>

namespace testsupport {
namespace {

std::string show(const QString &s) { return s.toStdString(); }

// The answer a careful person gives to a question nobody told them about.
int declineAnswer(int buttons)
{
    if (buttons & platform::Cancel)
        return platform::Cancel;
    if (buttons & platform::No)
        return platform::No;
    return platform::Ok;
}

} // namespace

TestSeams::TestSeams() : m_previous(&platform::seams())
{
    platform::install(this);
}

TestSeams::~TestSeams()
{
    platform::install(m_previous);
}

void TestSeams::expectMessage(const QString &textContains, int answer)
{
    expectMessage(textContains, [answer](const platform::MessageCall &) { return answer; });
}

void TestSeams::expectMessage(const QString &textContains, MessageAnswer answer)
{
    m_expected.push_back({textContains, std::move(answer)});
}

void TestSeams::onModal(const QString &objectName, ModalDriver driver)
{
    m_modals.push_back({objectName, std::move(driver)});
}

void TestSeams::answerFileDialog(const QString &path)
{
    m_fileAnswers.push_back(path);
}

void TestSeams::verifyAllUsed()
{
    for (const Expected &e : m_expected)
        ADD_FAILURE() << "expected message box never shown: \"" << show(e.textContains) << '"';
    for (const Modal &m : m_modals)
        ADD_FAILURE() << "modal window never shown: " << show(m.objectName);
    for (const QString &f : m_fileAnswers)
        ADD_FAILURE() << "file dialog answer never asked for: \"" << show(f) << '"';
    m_expected.clear();
    m_modals.clear();
    m_fileAnswers.clear();
}

int TestSeams::messageBox(QWidget *, const platform::MessageCall &call)
{
    m_calls.push_back(call);
    if (m_expected.empty() || !call.text.contains(m_expected.front().textContains)) {
        ADD_FAILURE() << "unexpected message box: \"" << show(call.text) << "\" caption \""
                      << show(call.caption) << '"'
                      << (m_expected.empty() ? std::string(" (none expected)")
                                             : " (expected one containing \""
                                                   + show(m_expected.front().textContains) + "\")");
        return declineAnswer(call.buttons);
    }
    const MessageAnswer answer = std::move(m_expected.front().answer);
    m_expected.pop_front();
    return answer(call);
}

int TestSeams::showModal(QDialog *window)
{
    const QString name = window->objectName();
    for (auto it = m_modals.begin(); it != m_modals.end(); ++it) {
        if (it->objectName != name)
            continue;
        const ModalDriver driver = std::move(it->driver);
        m_modals.erase(it);
        QPointer<QDialog> alive(window); // a driver may close a delete-on-close window
        window->show();
        const int result = driver(window);
        if (alive) {
            window->setResult(result);
            window->hide();
        }
        return result;
    }
    ADD_FAILURE() << "unexpected modal window: \"" << show(name) << "\" titled \""
                  << show(window->windowTitle()) << '"';
    return QDialog::Rejected;
}

QString TestSeams::fileDialog(QWidget *, const platform::FileDialogCall &call)
{
    m_fileCalls.push_back(call);
    if (m_fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog: \"" << show(call.title) << '"';
        return QString();
    }
    const QString answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

QDateTime TestSeams::now()
{
    return QDateTime::currentDateTime();
}

void TestSeams::sleepMs(int ms)
{
    m_sleeps.push_back(ms);
}

bool TestSeams::startProgram(const QString &program, const QStringList &args, const QString &folder,
                             const platform::ProgramFailed &failed)
{
    m_programs.push_back({program, args, folder, failed});
    if (m_programsOnMachine) {
        platform::MachineSeams machine;
        return machine.startProgram(program, args, folder, failed);
    }
    return m_startResult;
}

} // namespace testsupport
