// The print dialog's Word buttons: the record the dialog was opened for,
// poured into the template of the output in the data folder.

#include "printform.h"

#include "data/dm.h"
#include "data/schema.h"
#include "output/word/platformwordhost.h"
#include "output/word/wordexport.h"

namespace {

word::WordRow wordRow(const report::Record &row, const QString &table)
{
    word::WordRow out;
    if (const data::TableSchema *s = data::findSchema(table))
        for (const db::FieldDef &f : s->fields)
            out.set(f.name, row.value(f.name));
    return out;
}

QList<word::WordRow> wordRows(const std::vector<report::Record> &rows, const QString &table)
{
    QList<word::WordRow> out;
    for (const report::Record &r : rows)
        out << wordRow(r, table);
    return out;
}

// The record as the print command read it, in the Word outputs' terms; the
// cooperating organisations in the table's order, as the Word outputs take
// them (the printed form has them by their order numbers).
word::WordRecord wordRecord(const output::PrintRecord &p)
{
    word::WordRecord w;
    w.record = wordRow(p.record, QStringLiteral("kjcg"));
    w.organisations = word::organisationsInTableOrder(DataPath, p.value(QStringLiteral("ITEM_4")),
                                                      p.value(QStringLiteral("ITEM_DQDM")));
    w.persons = wordRows(p.persons, QStringLiteral("cgwcr"));
    w.committee = wordRows(p.committee, QStringLiteral("jdwyhmd"));
    w.patents = wordRows(p.patents, QStringLiteral("zlqk"));
    return w;
}

} // namespace

void TPrintForm::YY_ButtonClick()
{
    word::PlatformWordHost host(this);
    word::exportWord(host, word::WordForm::AppliedRegistration, DataPath, wordRecord(m_pages.record()));
}

void TPrintForm::RJ_ButtonClick()
{
    word::PlatformWordHost host(this);
    word::exportWord(host, word::WordForm::BasicRegistration, DataPath, wordRecord(m_pages.record()));
}

void TPrintForm::Button5Click()
{
    word::PlatformWordHost host(this);
    word::exportAppraisalApplicationWord(host, DataPath, wordRecord(m_pages.record()));
}

void TPrintForm::Button6Click()
{
    word::PlatformWordHost host(this);
    word::exportAppraisalCertificateWord(host, DataPath, wordRecord(m_pages.record()));
}
