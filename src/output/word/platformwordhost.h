#pragma once

#include "output/word/wordexport.h"

class QWidget;

namespace word {

// The program's WordHost: questions and messages through the platform's
// message boxes, programs started through its seam.
class PlatformWordHost : public WordHost {
public:
    explicit PlatformWordHost(QWidget *parent = nullptr) : m_parent(parent) {}
    bool confirm(const QString &text, const QString &caption) override;
    void error(const QString &text) override;
    void inform(const QString &text, const QString &caption) override;
    bool startProgram(const QString &program, const QStringList &args) override;

private:
    QWidget *m_parent;
};

// False when `soffice` is a word processor built without any desktop front
// end (a program folder with soffice.bin but no libvclplug_* library): it
// would take the document and never show it.  True when it has one, and
// when the folder is not recognised.
bool writerShowsWindows(const QString &sofficePath);

} // namespace word
