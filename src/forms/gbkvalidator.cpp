#include "gbkvalidator.h"

#include "db/gbk.h"

#include <QLineEdit>

GbkLengthValidator::GbkLengthValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes)
{
}

QValidator::State GbkLengthValidator::validate(QString &input, int &) const
{
    if (!db::gbk::canEncode(input))
        return Invalid;
    return db::gbk::byteLength(input) <= m_maxBytes ? Acceptable : Invalid;
}

void limitGbkBytes(QLineEdit *edit, int maxBytes)
{
    edit->setMaxLength(maxBytes);
    edit->setValidator(new GbkLengthValidator(maxBytes, edit));
}
