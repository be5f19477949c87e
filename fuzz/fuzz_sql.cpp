// Statements: parse, list parameters, bind conditions to a small table and
// evaluate them on a fixed row.
#include "db/error.h"
#include "db/sql.h"

#include <cstddef>
#include <cstdint>

namespace {

struct FixedRow : db::RowSource {
    QVector<db::Value> values;
    db::Value value(int field) const override { return values[field]; }
    QByteArrayView text(int field) const override { return values[field].text; }
};

struct Fixture {
    db::Schema schema;
    FixedRow row;
    db::Params params;
    Fixture()
    {
        const struct { const char *name; char type; int width; int decimals; } fields[] = {
            {"ITEM_4", 'C', 20, 0}, {"ITEM_DQDM", 'C', 6, 0}, {"ITEM_NO", 'N', 4, 0},
            {"ITEM_190", 'N', 10, 2}, {"ITEM_DATE", 'D', 8, 0}, {"ITEM_180", 'C', 60, 0},
        };
        for (const auto &d : fields) {
            db::FieldDef f;
            f.name = QString::fromLatin1(d.name);
            f.type = d.type;
            f.width = d.width;
            f.decimals = d.decimals;
            f.kind = db::FieldDef::kindFor(d.type, d.width, d.decimals);
            schema.fields.append(f);
        }
        schema.layout();
        row.values = {db::Value::fromBytes("K2009"), db::Value::fromBytes("D"), db::Value::fromNumber(3),
                      db::Value(), db::Value::fromDate(QDate(2009, 1, 2)),
                      db::Value::fromString(QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87"))};
        params.setText(QStringLiteral("item_4"), QStringLiteral("K2009"));
        params.setText(QStringLiteral("item_dqdm"), QStringLiteral("D"));
        params.setText(QStringLiteral("old_item_4"), QStringLiteral("K%"));
        params.set(QStringLiteral("old_item_no"), db::Value::fromNumber(3));
    }

    void evaluate(const db::ExprPtr &e, bool condition) const
    {
        try {
            db::BoundExpr bound(e, schema, QStringLiteral("cgwcr"));
            if (condition)
                bound.matches(row, &params);
            else
                bound.evaluate(row, &params);
        } catch (const db::EngineError &) {
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Fixture fx;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const db::Statement st = db::parseStatement(text);
        db::statementParams(st);
        if (const auto *s = std::get_if<db::SelectStatement>(&st)) {
            fx.evaluate(s->where, true);
        } else if (const auto *d = std::get_if<db::DeleteStatement>(&st)) {
            fx.evaluate(d->where, true);
        } else if (const auto *u = std::get_if<db::UpdateStatement>(&st)) {
            for (const auto &a : u->assignments)
                fx.evaluate(a.second, false);
            fx.evaluate(u->where, true);
        } else if (const auto *i = std::get_if<db::InsertStatement>(&st)) {
            for (const auto &v : i->values)
                fx.evaluate(v, false);
        }
    } catch (const db::EngineError &) {
    }
    return 0;
}
