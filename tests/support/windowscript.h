#pragma once

// A script that works real windows as they come up, as the person at the
// screen would: each step waits until the modal window in front is the one
// it names, then acts on it.  For the tests on the window system's own
// dialogs (no test seams stand in).

#include <QApplication>
#include <QDialog>
#include <QPointer>
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
    };

    void expect(const QString &name, std::function<void(QWidget *)> act) { m_steps.push_back({name, std::move(act)}); }
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
        const bool matches = front && front != m_last
            && (front->objectName() == step.name || front->inherits(step.name.toLatin1().constData()));
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

} // namespace testsupport
