#include "elidededit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

ElidedLineEdit::ElidedLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString &t) { setToolTip(t); });
}

QRect ElidedLineEdit::textRect() const
{
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QMargins m = textMargins();
    // QLineEdit's own inner margin beside the frame.
    return style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).adjusted(m.left() + 2, m.top(), -m.right() - 2, -m.bottom());
}

QString ElidedLineEdit::shownText() const
{
    if (hasFocus())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width());
}

void ElidedLineEdit::paintEvent(QPaintEvent *e)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLineEdit::paintEvent(e);
        return;
    }
    QPainter p(this);
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opt, &p, this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    p.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}
