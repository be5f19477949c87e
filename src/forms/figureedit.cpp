#include "figureedit.h"

#include "db/value.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Drops the keys of a figure edit that would type anything but a figure.
class FigureKeys : public QObject {
public:
    FigureKeys(QObject *parent, bool decimals) : QObject(parent), m_decimals(decimals) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Keys that type nothing (moves, shortcuts) and backspace pass.
        if (text.isEmpty() || key->key() == Qt::Key_Backspace || (key->modifiers() & Qt::ControlModifier))
            return false;
        for (QChar c : text) {
            const bool ok = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (m_decimals && c == QLatin1Char('.'));
            if (!ok)
                return true;
        }
        return false;
    }

private:
    bool m_decimals;
};

} // namespace

void makeFigureEdit(QLineEdit *edit, bool decimals)
{
    edit->installEventFilter(new FigureKeys(edit, decimals));
}

double figureValue(const QString &text)
{
    double d = 0;
    return db::parseNumber(text, d) ? d : 0;
}

QString figureText(double value)
{
    return db::formatNumber(value);
}
