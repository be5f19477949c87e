#include "controls.h"

#include "forms/gbkvalidator.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLineEdit *makeLineEdit(QWidget *parent, const QString &name, int maxBytes)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    if (maxBytes > 0)
        limitGbkBytes(e, maxBytes);
    return e;
}

QComboBox *makeComboBox(QWidget *parent, const QString &name, int fixedWidth)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    if (fixedWidth > 0)
        c->setFixedWidth(fixedWidth);
    return c;
}

QLabel *makeLabel(QWidget *parent, const QString &text, const QString &name)
{
    auto *l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QLabel *makeFieldLabel(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, int minWidth)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (minWidth > 0)
        b->setMinimumWidth(minWidth);
    return b;
}

QLabel *makeHeading(QWidget *parent, const QString &name, const QString &text, Qt::Alignment alignment, int padding)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(alignment);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    f.setBold(true);
    l->setFont(f);
    l->setStyleSheet(padding > 0 ? QStringLiteral("color: navy; padding: %1px;").arg(padding)
                                 : QStringLiteral("color: navy;"));
    return l;
}

void setCheckedQuietly(QAbstractButton *b, bool on)
{
    const bool exclusive = b->autoExclusive();
    if (!on && exclusive)
        b->setAutoExclusive(false);
    b->setChecked(on);
    if (!on && exclusive)
        b->setAutoExclusive(true);
}
