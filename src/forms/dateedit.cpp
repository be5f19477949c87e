#include "dateedit.h"

#include "base/text.h"
#include "platform/core/seams.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

SplitDateEdit::SplitDateEdit(QWidget *parent, const QString &yearName, const QString &monthName, const QString &dayName)
    : QWidget(parent)
{
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(3);
    auto edit = [&](const QString &name, int length, int width, const char *unit) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaxLength(length);
        e->setFixedWidth(width);
        e->setAlignment(Qt::AlignCenter);
        lay->addWidget(e);
        auto *l = new QLabel(QString::fromUtf8(unit), this);
        lay->addWidget(l);
        return e;
    };
    m_y = edit(yearName, 4, 52, "年");
    m_m = edit(monthName, 2, 32, "月");
    if (!dayName.isEmpty())
        m_d = edit(dayName, 2, 32, "日");
    lay->addStretch();
}

void SplitDateEdit::clear()
{
    for (QLineEdit *e : {m_y, m_m, m_d})
        if (e)
            e->clear();
}

void SplitDateEdit::normalise()
{
    m_y->setText(m_y->text().trimmed());
    m_m->setText(padTwo(m_m->text()));
    if (m_d)
        m_d->setText(padTwo(m_d->text()));
}

bool SplitDateEdit::isEmpty() const
{
    for (QLineEdit *e : {m_y, m_m, m_d})
        if (e && !e->text().trimmed().isEmpty())
            return false;
    return true;
}

bool SplitDateEdit::isIncomplete() const
{
    for (QLineEdit *e : {m_y, m_m, m_d})
        if (e && e->text().trimmed().isEmpty())
            return true;
    return false;
}

QString padTwo(const QString &text)
{
    const QString t = text.trimmed();
    return t.size() == 1 ? QStringLiteral("0") + t : t;
}

bool isIntegerIn(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= low && v <= high;
}

bool isValidYear(const QString &text, int firstYear)
{
    return isIntegerIn(text, firstYear, platform::today().year());
}

QDate parseDateParts(const QString &year, const QString &month, const QString &day)
{
    const QString y = year.trimmed(), m = month.trimmed(), d = day.trimmed();
    if (y.isEmpty() || y.size() > 4 || m.isEmpty() || m.size() > 2 || d.isEmpty() || d.size() > 2)
        return {};
    if (!base::isAsciiDigits(y) || !base::isAsciiDigits(m) || !base::isAsciiDigits(d))
        return {};
    return QDate(y.toInt(), m.toInt(), d.toInt());
}
