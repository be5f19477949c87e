#pragma once

#include <QString>

namespace platform {

// Lets only one copy of the program run per user and application title.
// The first process to ask holds a lock on a small file named after the
// title; the system drops the lock when that process ends in any way, so a
// crash leaves nothing stale behind.
class SingleInstance {
public:
    // The lock file lies in `folder` when one is given (tests use a folder of
    // their own, so they never meet a copy the user has running), else in
    // $XDG_RUNTIME_DIR, else in a folder of the user's own made private in
    // the system's temporary folder.  The folder must belong to the user
    // and be closed to everybody else, or no other user could be kept from
    // planting the lock; when it is not, problem() says why.
    explicit SingleInstance(const QString &title, const QString &folder = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when no other live process holds the lock for this title.
    // False too when problem() is set.
    bool isFirst() const { return m_first; }
    // Why the lock could not be taken safely (a message for the user), or
    // empty.  The program then must not start.
    const QString &problem() const { return m_problem; }
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    QString m_problem;
    int m_fd = -1;
    bool m_first = false;
};

} // namespace platform
