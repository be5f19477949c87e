#include "gbkvalidator.h"

#include "db/gbk.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

GbkLengthValidator::GbkLengthValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes)
{
    if (auto *edit = qobject_cast<QLineEdit *>(parent))
        edit->installEventFilter(this);
}

bool GbkLengthValidator::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || edit->validator() != this || edit->isReadOnly())
        return QValidator::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
        pasteWhatFits(edit);
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        // The edit's own menu, its paste taking what fits.
        QMenu *menu = edit->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // The paste entry: its text is the edit's own "&Paste" and its key.
        const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction *a : menu->actions())
            if (a->objectName() == QLatin1String("edit-paste") || a->text().section(QLatin1Char('\t'), 0, 0) == pasteText) {
                disconnect(a, &QAction::triggered, nullptr, nullptr);
                connect(a, &QAction::triggered, edit, [this, edit] { pasteWhatFits(edit); });
            }
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QValidator::eventFilter(watched, event);
}

void GbkLengthValidator::pasteWhatFits(QLineEdit *edit) const
{
    const QString clip = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (clip.isEmpty() && !edit->hasSelectedText())
        return;
    QString rest = edit->text();
    if (edit->hasSelectedText())
        rest.remove(edit->selectionStart(), edit->selectedText().size());
    qsizetype bytes = m_maxBytes - db::gbk::byteLength(rest);
    qsizetype chars = edit->maxLength() - rest.size();
    qsizetype end = 0;
    while (end < clip.size()) {
        qsizetype next = end + 1;
        if (clip.at(end).isHighSurrogate() && next < clip.size() && clip.at(next).isLowSurrogate())
            ++next;
        const QStringView piece = QStringView(clip).mid(end, next - end);
        if (!db::gbk::canEncode(piece))
            break;   // the edit refuses the paste whole, as it refuses such typing
        const qsizetype width = db::gbk::byteLength(piece);
        if (width > bytes || next - end > chars)
            break;
        bytes -= width;
        chars -= next - end;
        end = next;
    }
    if (end < clip.size() && !db::gbk::canEncode(clip)) {
        edit->paste();
        return;
    }
    edit->insert(clip.left(end));
}

QValidator::State GbkLengthValidator::validate(QString &input, int &pos) const
{
    if (!db::gbk::canEncode(input))
        return Invalid;
    qsizetype excess = db::gbk::byteLength(input) - m_maxBytes;
    if (excess <= 0)
        return Acceptable;
    // Text the program sets (setText clears the edit's undo history) stays
    // whole, so a save can refuse it with a message; only what the user
    // typed or pasted is cut.
    const auto *edit = qobject_cast<const QLineEdit *>(parent());
    if (edit && !edit->isUndoAvailable())
        return Invalid;
    // Too long: what was just typed or pasted ends at the cursor.  Keep its
    // beginning, as much as fits, and drop whole characters from its end.
    qsizetype end = qBound(qsizetype(0), qsizetype(pos), input.size());
    qsizetype start = end;
    while (start > 0 && excess > 0) {
        qsizetype from = start - 1;
        if (from > 0 && input.at(from).isLowSurrogate() && input.at(from - 1).isHighSurrogate())
            --from;
        excess -= db::gbk::byteLength(QStringView(input).mid(from, start - from));
        start = from;
    }
    if (excess > 0)
        return Invalid;
    input.remove(start, end - start);
    pos = int(start);
    return Acceptable;
}

void limitGbkBytes(QLineEdit *edit, int maxBytes)
{
    edit->setMaxLength(maxBytes);
    edit->setValidator(new GbkLengthValidator(maxBytes, edit));
}
