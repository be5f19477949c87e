#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

class QLineEdit;

// Split date edits: widget pieces of the entry windows.

// Year, month and (optionally) day edits in one row with 年/月/日 labels.
class SplitDateEdit : public QWidget {
    Q_OBJECT
public:
    SplitDateEdit(QWidget *parent, const QString &yearName, const QString &monthName,
                  const QString &dayName = QString());

    QLineEdit *year() const { return m_y; }
    QLineEdit *month() const { return m_m; }
    QLineEdit *day() const { return m_d; }   // nullptr for year-and-month dates

    void clear();
    // Trimmed texts; a one-character month or day gets a leading "0" in its
    // edit.
    void normalise();
    // All parts empty (after trimming).
    bool isEmpty() const;
    // Any part empty (after trimming).
    bool isIncomplete() const;

private:
    QLineEdit *m_y;
    QLineEdit *m_m;
    QLineEdit *m_d = nullptr;
};

// The first year a date may have: 1949, or 1900 for birth and certificate
// dates.
constexpr int FirstYear = 1949;
constexpr int FirstYearOfBirth = 1900;

// A month or day as stored: trimmed, one character padded with a leading "0".
QString padTwo(const QString &text);
// The text reads as an integer in [low, high].
bool isIntegerIn(const QString &text, int low, int high);
// The text is a year from `firstYear` to the current year.
bool isValidYear(const QString &text, int firstYear = FirstYear);
// The date written as year "-" month "-" day (one or two digits for month
// and day); invalid when it is no date.
QDate parseDateParts(const QString &year, const QString &month, const QString &day);
