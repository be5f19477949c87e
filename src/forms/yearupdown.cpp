#include "forms/yearupdown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

YearUpDown::YearUpDown(QLineEdit *associate, QWidget *parent) : QWidget(parent), m_edit(associate)
{
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("UpDown1Up"));
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("UpDown1Down"));
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 13);
        box->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void YearUpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
}

void YearUpDown::step(int delta)
{
    bool ok = false;
    const int now = m_edit->text().trimmed().toInt(&ok);
    const int year = ok ? qBound(m_min, now + delta, m_max) : m_min;
    m_edit->setText(QString::number(year));
    emit stepped();
}
