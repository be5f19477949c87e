#pragma once

#include "output/word/wordexport.h"

class QWidget;

namespace word {

// The program's WordHost: questions and messages through the platform's
// message boxes, programs started through its seam.  The word processor is
// not started when it has no desktop front end, the desktop's opener not
// when it would not show a Word document (see desktopShowsDocuments).
class PlatformWordHost : public WordHost {
public:
    explicit PlatformWordHost(QWidget *parent = nullptr) : m_parent(parent) {}
    bool confirm(const QString &text, const QString &caption) override;
    void error(const QString &text, const QString &details) override;
    void inform(const QString &text, const QString &caption) override;
    bool startProgram(const QString &program, const QStringList &args, const Fallback &ifItFails) override;

private:
    QWidget *m_parent;
};

} // namespace word
