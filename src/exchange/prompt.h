#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace base {
class Error;
}

// How the headless exchange services talk to the person at the screen: the
// windows connect these to the message seam and the clock; tests answer them.
namespace exchange {

enum Reply { kOk = 0x1, kYes = 0x2, kNo = 0x4 };
enum class Tone { Information, Question, Warning, Notice };

struct Prompt {
    // A message box: text, caption, tone and buttons (Reply bits) -> the
    // button pressed.  Tone::Notice is the program's plain notice (its own
    // caption, one OK button); its caption argument is empty.
    std::function<int(const QString &text, const QString &caption, Tone tone, int buttons)> ask;
    // Today's date from the program's clock.
    std::function<QDate()> today;
    // Progress of long work: rows done of total.  Also lets a window repaint.
    std::function<void(int done, int total)> progress;
    // The import has come to the file of this exchange name (index 0 to 5),
    // once while the files are read and checked and once while they are
    // written, so a window can say which file it is at.
    std::function<void(int file)> file;

    int question(const QString &text, const QString &caption, Tone tone = Tone::Question) const
    {
        return ask ? ask(text, caption, tone, kYes | kNo) : kNo;
    }
    void message(const QString &text, const QString &caption) const
    {
        if (ask)
            ask(text, caption, Tone::Information, kOk);
    }
    void notice(const QString &text) const
    {
        if (ask)
            ask(text, QString(), Tone::Notice, kOk);
    }
    // A task that failed: its message under `caption`, and `outcome` (what
    // was left as it was) on a line of its own.  An archiver the user
    // stopped is not reported: that user knows.
    void failure(const base::Error &e, const QString &caption, const QString &outcome = QString()) const;
    void step(int done, int total) const
    {
        if (progress)
            progress(done, total);
    }
    void atFile(int index) const
    {
        if (file)
            file(index);
    }
    QDate date() const { return today ? today() : QDate::currentDate(); }
};

// The exchange names, index 0 to 6; a name and ".TXT" is a package member,
// a name and "temp.dbf" a staging table of the import.
inline const QStringList &exchangeTables()
{
    static const QStringList names{QStringLiteral("KJCG"), QStringLiteral("CGWCDW"), QStringLiteral("CGWCR"),
                                   QStringLiteral("JDWYHMD"), QStringLiteral("ZLQK"), QStringLiteral("unit"),
                                   QStringLiteral("expert")};
    return names;
}

} // namespace exchange

class QWidget;

namespace exchange {

// Questions through the program's message seam (over `owner`; notices under
// `noticeCaption` with the warning icon) and dates from its clock.
Prompt seamPrompt(QWidget *owner, const QString &noticeCaption);

} // namespace exchange
