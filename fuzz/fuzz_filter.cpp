// Filter texts: parse, bind to a small table and evaluate on fixed rows.
#include "db/error.h"
#include "db/expr.h"

#include <cstddef>
#include <cstdint>

namespace {

struct FixedRow : db::RowSource {
    QVector<db::Value> values;
    db::Value value(int field) const override { return values[field]; }
    QByteArrayView text(int field) const override { return values[field].text; }
};

db::Schema makeSchema()
{
    db::Schema s;
    auto add = [&s](const char *name, char type, int width, int decimals) {
        db::FieldDef f;
        f.name = QString::fromLatin1(name);
        f.type = type;
        f.width = width;
        f.decimals = decimals;
        f.kind = db::FieldDef::kindFor(type, width, decimals);
        s.fields.append(f);
    };
    add("ITEM_4", 'C', 20, 0);
    add("ITEM_DQDM", 'C', 6, 0);
    add("ITEM_45", 'N', 6, 0);
    add("AMOUNT", 'N', 12, 2);
    add("ITEM_DATE", 'D', 8, 0);
    add("DONE", 'L', 1, 0);
    add("NOTE", 'M', 10, 0);
    s.layout();
    return s;
}

struct Fixture {
    db::Schema schema = makeSchema();
    FixedRow full, blank;
    db::Params params;
    Fixture()
    {
        full.values = {db::Value::fromString(QString::fromUtf8("2009\xe4\xb8\xad\xe6\x96\x87_%")),
                       db::Value::fromBytes("D"),
                       db::Value::fromNumber(12),
                       db::Value::fromNumber(2.5),
                       db::Value::fromDate(QDate(2009, 1, 2)),
                       db::Value::fromBool(true),
                       db::Value::fromBytes(QByteArray("memo \x81\x5F text"))};
        blank.values = QVector<db::Value>(schema.count());
        params.setText(QStringLiteral("item_4"), QStringLiteral("2009"));
        params.setText(QStringLiteral("p"), QStringLiteral("3"));
        params.set(QStringLiteral("n"), db::Value::fromNumber(-1));
        params.set(QStringLiteral("d"), db::Value::fromDate(QDate(2010, 5, 6)));
        params.set(QStringLiteral("null"), db::Value::null());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Fixture fx;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        db::ExprPtr e = db::parseExpression(text, db::ExprMode::Filter);
        db::expressionParams(e);
        db::BoundExpr bound(e, fx.schema, QStringLiteral("kjcg"));
        for (const FixedRow *row : {&fx.full, &fx.blank}) {
            try {
                bound.matches(*row, &fx.params);
            } catch (const db::EngineError &) {
            }
            try {
                bound.evaluate(*row, &fx.params);
            } catch (const db::EngineError &) {
            }
        }
    } catch (const db::EngineError &) {
    }
    return 0;
}
