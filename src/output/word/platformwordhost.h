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

} // namespace word
