#include "codeitem.h"

#include <QComboBox>

QString codePart(const QString &itemText)
{
    const int at = itemText.indexOf(QStringLiteral("  "));
    return (at < 0 ? itemText : itemText.left(at)).trimmed();
}

QString comboCode(const QComboBox *combo)
{
    return codePart(combo->currentText());
}
