#include "gbkvalidator.h"

#include "db/gbk.h"

#include <QLineEdit>

GbkLengthValidator::GbkLengthValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes)
{
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
