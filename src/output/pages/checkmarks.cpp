#include "checkmarks.h"

bool isCheckLabel(const QString &labelName, const QString &field, const QString &code)
{
    if (code.isEmpty())
        return false;
    const qsizetype l = field.size();
    return labelName.size() > l + 4 && QStringView(labelName).mid(3, l) == field
        && QStringView(labelName).mid(l + 4) == code;
}

QStringList codesToMark(const QString &storedValue)
{
    if (storedValue.isEmpty())
        return {};
    if (!storedValue.contains(QLatin1Char(';')))
        return {storedValue};
    QStringList codes;
    QString rest = storedValue;
    for (int i = 0; i < 3; ++i) {
        const qsizetype semi = rest.indexOf(QLatin1Char(';'));
        if (semi < 0)
            break;   // a part without its ";" is not a code
        const QString code = rest.left(semi).trimmed();
        if (!code.isEmpty())
            codes << code;
        rest = rest.mid(semi + 1);
    }
    return codes;
}

QStringList labelsToMark(const QStringList &labelNames, const QString &field, const QString &storedValue)
{
    QStringList marked;
    const QStringList codes = codesToMark(storedValue);
    for (const QString &name : labelNames)
        for (const QString &code : codes)
            if (isCheckLabel(name, field, code)) {
                marked << name;
                break;
            }
    return marked;
}

bool isDataLabel(const QString &labelName)
{
    return labelName.indexOf(QLatin1String("ITEM")) >= 3 || labelName.indexOf(QLatin1String("patent")) >= 3;
}

QStringList labelsToClear(const QStringList &labelNames)
{
    QStringList cleared;
    for (const QString &name : labelNames)
        if (isDataLabel(name))
            cleared << name;
    return cleared;
}
