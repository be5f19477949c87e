#include "firstfield.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

QWidget *firstWritableField(QWidget *window)
{
    QWidget *w = window;
    for (int guard = 0; guard < 10000; ++guard) {
        w = w->nextInFocusChain();
        if (!w || w == window)
            return nullptr;
        if (!window->isAncestorOf(w) || !w->isEnabled() || !w->isVisibleTo(window)
            || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (auto *e = qobject_cast<QLineEdit *>(w); e && e->isReadOnly())
            continue;
        if (auto *e = qobject_cast<QPlainTextEdit *>(w); e && e->isReadOnly())
            continue;
        if (auto *e = qobject_cast<QTextEdit *>(w); e && e->isReadOnly())
            continue;
        return w;
    }
    return nullptr;
}
