#include "figureedit.h"

#include "db/value.h"
#include "forms/gbkvalidator.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

namespace {

// Watches one figure edit: refuses the keys that could never make a figure,
// and judges what the user typed or pasted when he leaves the edit.
class FigureKeys : public QObject {
public:
    FigureKeys(QLineEdit *edit, bool decimals, std::function<void()> judge)
        : QObject(edit), m_edit(edit), m_decimals(decimals), m_judge(std::move(judge))
    {
        setObjectName(QStringLiteral("figureKeys"));
        edit->installEventFilter(this);
        edit->setInputMethodHints(edit->inputMethodHints() | Qt::ImhFormattedNumbersOnly);
        // The edit's own refusals (its length) are told like ours.
        QObject::connect(edit, &QLineEdit::inputRejected, this, [this] { tell(); });
        QObject::connect(edit, &QLineEdit::editingFinished, this, [this] { settle(); });
    }

    // Judges the text the user left, once.
    void settle()
    {
        if (!m_edit->isModified())
            return;
        m_edit->setModified(false);
        if (m_judge)
            m_judge();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || m_edit->isReadOnly())
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            // Keys that type nothing (moves, shortcuts) and backspace pass.
            if (text.isEmpty() || !text.at(0).isPrint() || (key->modifiers() & Qt::ControlModifier))
                return false;
            if (fits(text))
                return false;
            refuse();
            return true;
        }
        if (event->type() == QEvent::InputMethod) {
            // An input method (full-width digits, "。" for the point) gives
            // its text as a whole: it goes in as the figure's own characters.
            auto *im = static_cast<QInputMethodEvent *>(event);
            if (im->commitString().isEmpty())
                return false;
            const QString text = plain(im->commitString());
            if (fits(text))
                m_edit->insert(text);
            else
                refuse();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QString plain(const QString &typed)
    {
        QString out;
        for (QChar c : typed) {
            if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
                out += QChar(u'0' + (c.unicode() - 0xFF10));
            else if (c == QChar(0x3002) || c == QChar(0xFF0E))
                out += QLatin1Char('.');
            else
                out += c;
        }
        return out;
    }

    // The most characters the edit takes (figures are one byte each).
    int limit() const
    {
        int n = m_edit->maxLength();
        if (auto *v = qobject_cast<const GbkLengthValidator *>(m_edit->validator()))
            n = std::min(n, v->maxBytes());
        return n;
    }

    // Whether the edit's text with `typed` in place of its selection (or at
    // the cursor) is still the beginning of a figure.
    bool fits(const QString &typed) const
    {
        QString text = m_edit->text();
        int at = m_edit->cursorPosition();
        if (m_edit->hasSelectedText()) {
            at = m_edit->selectionStart();
            text.remove(at, m_edit->selectedText().size());
        }
        text.insert(at, typed);
        if (text.size() > limit())
            return false;
        int points = 0;
        for (QChar c : text) {
            if (c == QLatin1Char('.'))
                ++points;
            else if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        return points <= (m_decimals ? 1 : 0);
    }

    void refuse()
    {
        emit m_edit->inputRejected();
    }

    void tell() const
    {
        QString rule = m_decimals ? QStringLiteral("此处只能输入数字和一个小数点") : QStringLiteral("此处只能输入数字");
        if (limit() < 32767)
            rule += QStringLiteral("，最多%1位").arg(limit());
        QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), rule, m_edit);
    }

    QLineEdit *m_edit;
    bool m_decimals;
    std::function<void()> m_judge;
};

} // namespace

void makeFigureEdit(QLineEdit *edit, bool decimals, std::function<void()> judge)
{
    new FigureKeys(edit, decimals, std::move(judge));
}

void settleFigures(QWidget *window)
{
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        for (QObject *child : edit->children())
            if (auto *keys = dynamic_cast<FigureKeys *>(child))
                keys->settle();
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
