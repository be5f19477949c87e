#pragma once

#include <QHash>
#include <QString>
#include <QStyledItemDelegate>

// Shows stored codes of a grid column as texts ("0" -> "  男"); values
// without an entry stay as stored.
class CodeTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CodeTextDelegate(const QHash<QString, QString> &texts, QObject *parent);
    QString displayText(const QVariant &value, const QLocale &locale) const override;

private:
    QHash<QString, QString> m_texts;
};
