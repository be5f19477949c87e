#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>

namespace db {

// What a dBASE column holds, as the program sees it.
//   C            -> Text
//   N/F, decimals > 0 or width > 11  -> Float (double)
//   N, decimals 0, width <= 6        -> SmallInt (16-bit)
//   N, decimals 0, width 7..11       -> Integer (32-bit)
//   D -> Date, M -> Memo, L -> Logical
enum class FieldKind { Text, Float, SmallInt, Integer, Date, Memo, Logical };

struct FieldDef {
    QString name;       // as stored (case kept); looked up without regard to case
    char type = 'C';    // dBASE type letter
    int width = 1;      // bytes in the record
    int decimals = 0;
    FieldKind kind = FieldKind::Text;
    int offset = 0;     // byte offset inside the record (the deletion flag is byte 0)

    static FieldKind kindFor(char type, int width, int decimals);
    bool isNumeric() const { return kind == FieldKind::Float || kind == FieldKind::SmallInt || kind == FieldKind::Integer; }
};

class Schema {
public:
    QVector<FieldDef> fields;
    int recordLength = 1;

    int indexOf(QStringView name) const;   // -1 when absent; any letter case
    int count() const { return int(fields.size()); }
    void layout();                         // sets offsets and recordLength from widths
};

// A single value inside the engine.  Text is held as GBK bytes without
// trailing blanks, so comparisons are byte for byte as stored.
struct Value {
    enum class Type { Null, Text, Number, Date, Bool };
    Type type = Type::Null;
    QByteArray text;
    double number = 0;
    QDate date;
    bool boolean = false;

    static Value null() { return {}; }
    static Value fromBytes(const QByteArray &gbk);
    static Value fromString(const QString &s);   // encoded to GBK (unmappable -> '?')
    static Value fromNumber(double d);
    static Value fromDate(const QDate &d);
    static Value fromBool(bool b);

    bool isNull() const { return type == Type::Null; }
    // Text form as the program shows it: numbers as the shortest decimal text
    // without trailing zeros, dates as yyyy-MM-dd, booleans as T/F.
    QString toString() const;
    QByteArray toBytes() const;                  // same, as GBK
};

// Shortest decimal text of a double, no exponent, no trailing zeros, '.' as
// separator whatever the locale: 0.1 + 0.2 gives "0.3".
QString formatNumber(double d);
// Parses a decimal number written with '.', optional sign, surrounding blanks;
// false on anything else.
bool parseNumber(QStringView text, double &out);
bool parseNumber(const char *p, qsizetype n, double &out);

} // namespace db
