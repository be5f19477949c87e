#include "codetextdelegate.h"

CodeTextDelegate::CodeTextDelegate(const QHash<QString, QString> &texts, QObject *parent)
    : QStyledItemDelegate(parent), m_texts(texts)
{
}

QString CodeTextDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    const auto it = m_texts.constFind(value.toString().trimmed());
    if (it != m_texts.constEnd() && !value.toString().trimmed().isEmpty())
        return QStringLiteral("  ") + *it; // the grids show the text after two blanks
    return QStyledItemDelegate::displayText(value, locale);
}
