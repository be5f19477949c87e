#include "codetexts.h"

namespace codetexts {

const QHash<QString, QString> &sex()
{
    static const QHash<QString, QString> t = {{QStringLiteral("0"), QStringLiteral("男")},
                                              {QStringLiteral("1"), QStringLiteral("女")}};
    return t;
}

const QHash<QString, QString> &title()
{
    static const QHash<QString, QString> t = {
        {QStringLiteral("1"), QStringLiteral("院士")},     {QStringLiteral("2"), QStringLiteral("正高")},
        {QStringLiteral("3"), QStringLiteral("副高")},     {QStringLiteral("4"), QStringLiteral("中级")},
        {QStringLiteral("5"), QStringLiteral("初级")},     {QStringLiteral("9"), QStringLiteral("其他")},
        {QStringLiteral("a"), QStringLiteral("两院院士")}, {QStringLiteral("b"), QStringLiteral("中科院院士")},
        {QStringLiteral("c"), QStringLiteral("工程院院士")}};
    return t;
}

const QHash<QString, QString> &education()
{
    static const QHash<QString, QString> t = {
        {QStringLiteral("2"), QStringLiteral("博士研究生")}, {QStringLiteral("3"), QStringLiteral("硕士研究生")},
        {QStringLiteral("4"), QStringLiteral("大本")},       {QStringLiteral("5"), QStringLiteral("大专")},
        {QStringLiteral("6"), QStringLiteral("中专")},       {QStringLiteral("9"), QStringLiteral("其他")}};
    return t;
}

const QHash<QString, QString> &abroad()
{
    static const QHash<QString, QString> t = {{QStringLiteral("1"), QStringLiteral("是")},
                                              {QStringLiteral("0"), QStringLiteral("否")}};
    return t;
}

QString text(const QHash<QString, QString> &table, const QString &code)
{
    return table.value(code);
}

} // namespace codetexts
