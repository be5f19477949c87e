#pragma once

// A script that works real windows as they come up, as the person at the
// screen would: each step waits until the modal window in front is the one
// it names, then acts on it.  For the tests on the window system's own
// dialogs (no test seams stand in).

#include "app/startup.h"
#include "platform/widgets/windowseams.h"
#include "seed_loader.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace testsupport {

// Works the windows as they come up: each step waits until the modal window
// in front is the one it names, then acts on it.  A step that never comes
// fails the test, and the windows in front are closed so nothing blocks.
class Script {
public:
    struct Step {
        QString name;    // objectName, or a class name (QMessageBox, QFileDialog)
        std::function<void(QWidget *)> act;
        std::function<bool()> ready;   // when given: the step waits until it holds
    };

    void expect(const QString &name, std::function<void(QWidget *)> act, std::function<bool()> ready = {})
    {
        m_steps.push_back({name, std::move(act), std::move(ready)});
    }
    void start() { schedule(); }
    bool done() const { return m_steps.empty(); }

private:
    void schedule() { QTimer::singleShot(40, qApp, [this] { pump(); }); }
    void pump()
    {
        if (m_steps.empty())
            return;
        QWidget *front = QApplication::activeModalWidget();
        if (!front) {
            // Under a bare X server nothing may be active: the topmost
            // visible modal window is the one in front.
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->isModal())
                    front = w;
        }
        const Step &step = m_steps.front();
        // The window the last step acted on counts once (a step may still
        // be working on it while events run).
        // A window still at work (its controls off) is not yet the one the
        // step waits for.
        const bool matches = front && front != m_last
            && (front->objectName() == step.name || front->inherits(step.name.toLatin1().constData()))
            && (!step.ready || step.ready());
        if (!matches) {
            if (++m_waits > 200) {   // 8 seconds
                ADD_FAILURE() << "never came up: " << step.name.toStdString() << ", in front: "
                              << (front ? front->objectName().toStdString() : std::string("nothing"));
                m_steps.clear();
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
                        d->reject();
                return;
            }
            schedule();
            return;
        }
        m_waits = 0;
        m_last = front;
        const Step current = m_steps.front();
        m_steps.pop_front();
        schedule();   // first: the act may open a window of its own
        QApplication::processEvents();
        current.act(front);
    }

    std::deque<Step> m_steps;
    int m_waits = 0;
    QPointer<QWidget> m_last;
};

// A data folder laid out from the seed rows, the program's windows on the
// window system's own seams with Qt's Chinese texts, and a script to work
// them.  Include it from a test target that defines SORVEL_SOURCE_DIR.
class RealWindowsTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");
    Script script;

    void SetUp() override
    {
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        installQtTranslations();
        platform::useWindowSystem();
    }
    void TearDown() override
    {
        destroyWindows();
        // The rest of the suite runs without a window system's dialogs.
        static platform::MachineSeams machine;
        platform::setRealSeams(&machine);
    }
    // With SORVEL_WALK_SHOTS naming a folder, saves the screen there as the
    // next numbered PNG, its name beginning with `prefix`.
    void shot(const QString &name, const QString &prefix = QString())
    {
        const QString folder = qEnvironmentVariable("SORVEL_WALK_SHOTS");
        ++m_shot;
        if (folder.isEmpty())
            return;
        QApplication::processEvents();
        QTest::qWait(150);
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/%1%2-%3.png").arg(prefix).arg(m_shot, 2, 10, QLatin1Char('0')).arg(name);
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(file)) << file.toStdString();
    }

private:
    int m_shot = 0;
};

} // namespace testsupport
