#pragma once

#include <QString>

namespace platform {

// Lets only one copy of the program run per user and application title.
// The first process to ask holds a lock on a small file named after the
// title; the system drops the lock when that process ends in any way, so a
// crash leaves nothing stale behind.
class SingleInstance {
public:
    explicit SingleInstance(const QString &title);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when no other live process holds the lock for this title.
    bool isFirst() const { return m_first; }
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_first = false;
};

} // namespace platform
