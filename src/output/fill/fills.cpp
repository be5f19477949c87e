#include "fills.h"

#include "data/codetexts.h"
#include "db/error.h"
#include "output/pages/checkmarks.h"
#include "output/pages/wrap.h"
#include "report/layout.h"

#include <stdexcept>

namespace output {
namespace {

const QString kCommittee = QStringLiteral("ClientDataSet1");
const QString kPersons = QStringLiteral("ClientDataSet2");
const QString kOrganisations = QStringLiteral("ClientDataSet3");

QStringList labelNames(const report::ReportForm &form)
{
    QStringList names;
    for (const report::Element *e : form.elements())
        if (e->kind == report::Kind::Label)
            names << e->name;
    return names;
}

// Sets the caption of every label of that name (a name the layout lacks is skipped).
void set(report::ReportForm &form, const QString &name, const QString &text)
{
    for (report::Element *e : form.elements())
        if (e->name == name)
            e->text = text;
}

QString v(const PrintRecord &rec, const char *field)
{
    return rec.value(QLatin1String(field));
}

void markAll(report::ReportForm &form, const PrintRecord &rec, std::initializer_list<const char *> fields)
{
    for (const char *f : fields)
        MarkCheckBoxes(form, QLatin1String(f), rec.value(QLatin1String(f)));
}

void keywords(report::ReportForm &form, const PrintRecord &rec)
{
    QString k = v(rec, "ITEM_14").trimmed();
    for (const char *l : {"item_14_1", "item_14_2", "item_14_3"})
        set(form, QLatin1String(l), {});
    qsizetype semi = k.indexOf(QLatin1Char(';'));
    if (semi < 0) {
        set(form, QStringLiteral("item_14_1"), k);
        return;
    }
    set(form, QStringLiteral("item_14_1"), k.left(semi).trimmed());
    k = k.mid(semi + 1);
    semi = k.indexOf(QLatin1Char(';'));
    if (semi < 0) {
        set(form, QStringLiteral("item_14_2"), k);
        return;
    }
    set(form, QStringLiteral("item_14_2"), k.left(semi).trimmed());
    set(form, QStringLiteral("item_14_3"), k.mid(semi + 1));
}

// The footer shows the running number when the list lays out over more than
// one page, the page's own label otherwise.
void chooseFooter(report::ReportForm &form, const PrintLists &lists)
{
    lists.bind(form);
    form.setVisible(QStringLiteral("QRSysData1"), true);
    form.setVisible(QStringLiteral("QRpage"), false);
    const bool running = report::layout(form).pageCount() > 1;
    form.setVisible(QStringLiteral("QRSysData1"), running);
    form.setVisible(QStringLiteral("QRpage"), !running);
}

// Row frames of the list pages get a fixed height, given in pixels of the
// screen form (1/96 inch).  It is taller than a plain row, so the frames
// reach the bottom of every row; the engine cuts a frame at its row's bottom.
constexpr double kPixelMm = 25.4 / 96.0;

void rowFrames(report::ReportForm &form, int first, int last, int pixels)
{
    for (int i = first; i <= last; ++i)
        form.setHeight(QStringLiteral("QRShape%1").arg(i), pixels * kPixelMm);
}

void copy(report::MemDataset &ds, const report::Record &row, std::initializer_list<const char *> fields)
{
    for (const char *f : fields)
        ds.setField(QLatin1String(f), row.value(QLatin1String(f)).trimmed());
}

} // namespace

PrintLists::PrintLists()
    : ClientDataSet1({"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_191", "ITEM_192", "ITEM_193", "ITEM_194", "ITEM_195",
                      "ITEM_196", "ITEM_197", "ITEM_198", "ITEM_199"}),
      ClientDataSet2({"ITEM_4", "ITEM_DQDM", "ITEM_187", "ITEM_180", "ITEM_181", "ITEM_182", "ITEM_183", "ITEM_184",
                      "ITEM_185", "ITEM_186", "ITEM_188"}),
      ClientDataSet3({"ITEM_4", "ITEM_DQDM", "ITEM_176", "ITEM_170", "ITEM_171", "ITEM_172", "ITEM_173", "ITEM_174",
                      "ITEM_175"})
{
}

void PrintLists::bind(report::ReportForm &form) const
{
    form.setDataset(kCommittee, &ClientDataSet1);
    form.setDataset(kPersons, &ClientDataSet2);
    form.setDataset(kOrganisations, &ClientDataSet3);
}

void MarkCheckBoxes(report::ReportForm &form, const QString &field, const QString &storedValue)
{
    for (const QString &name : labelsToMark(labelNames(form), field, storedValue))
        set(form, name, checkMark());
}

void ClearItemLabels(report::ReportForm &form)
{
    for (const QString &name : labelsToClear(labelNames(form)))
        set(form, name, {});
}

QString chars(const QString &text, int from, int to)
{
    if (from < 1)
        from = 1;
    if (to < from || from > text.size())
        return {};
    return text.mid(from - 1, to - from + 1);
}

int committeeRows(int n, Family family)
{
    n = std::max(n, 0);
    return family == Family::Applied ? ((n + 7) / 21 + 1) * 21 - 8 : ((n + 6) / 22 + 1) * 22 - 7;
}

int personsThreshold(Family family) { return family == Family::Applied ? 18 : 17; }
int committeeThreshold(Family family) { return family == Family::Applied ? 13 : 15; }

void fillCover(report::ReportForm &form, const PrintRecord &rec)
{
    const ResearchPeriod period = splitResearchPeriod(v(rec, "ITEM_8").trimmed());
    set(form, QStringLiteral("item_8_1"), period.startYear);
    set(form, QStringLiteral("item_8_2"), period.startMonth);
    set(form, QStringLiteral("item_8_3"), period.endYear);
    set(form, QStringLiteral("item_8_4"), period.endMonth);
    // The approval date's text form, year-month-day, cut at its "-".
    const QStringList parts = v(rec, "ITEM_121").trimmed().split(QLatin1Char('-'));
    const QString t = v(rec, "ITEM_121").trimmed();
    set(form, QStringLiteral("item_121_1"), t.isEmpty() ? QString() : parts.value(0));
    set(form, QStringLiteral("item_121_2"), t.isEmpty() ? QString() : parts.value(1));
    set(form, QStringLiteral("item_121_3"), t.isEmpty() ? QString() : parts.mid(2).join(QLatin1Char('-')));
}

void fillApplied03(report::ReportForm &form, const PrintRecord &rec)
{
    for (const QString &error : {rec.subjectError, rec.libraryError})
        if (!error.isEmpty())
            throw db::EngineError(error);
    for (const char *l : {"item_15", "item_15_1", "item_12", "item_12_1"})
        set(form, QLatin1String(l), {});
    set(form, QStringLiteral("item_15"), rec.subject1);
    set(form, QStringLiteral("item_15_1"), rec.subject2);
    set(form, QStringLiteral("item_12"), rec.library1);
    set(form, QStringLiteral("item_12_1"), rec.library2);
    keywords(form, rec);
    ClearItemLabels(form);
    markAll(form, rec, {"ITEM_2", "ITEM_16", "ITEM_33", "ITEM_123", "ITEM_124_1", "ITEM_125", "ITEM_126", "ITEM_140",
                        "ITEM_201", "ITEM_125_1"});
}

void fillApplied05(report::ReportForm &form, const PrintRecord &rec)
{
    ClearItemLabels(form);
    set(form, QStringLiteral("QRLabel44"), rec.investment);
    set(form, QStringLiteral("QRLabel45"), rec.profit);
    // Up to six patents of each status: accepted "1", granted "2".
    for (auto [status, prefix] : {std::pair{"1", "QLL_zlqk_"}, {"2", "QL_zlqk_"}}) {
        int row = 0;
        for (const report::Record &p : rec.patents) {
            if (row == 6)
                break;
            if (p.value(QStringLiteral("PATENT_ST")).trimmed() != QLatin1String(status))
                continue;
            ++row;
            set(form, QLatin1String(prefix) + QStringLiteral("zlh_%1").arg(row), p.value(QStringLiteral("PATENT_NO")));
            set(form, QLatin1String(prefix) + QStringLiteral("zlm_%1").arg(row), p.value(QStringLiteral("PATENT_NAM")));
        }
        for (++row; row <= 6; ++row) {
            set(form, QLatin1String(prefix) + QStringLiteral("zlh_%1").arg(row), {});
            set(form, QLatin1String(prefix) + QStringLiteral("zlm_%1").arg(row), {});
        }
    }
    set(form, QStringLiteral("QR_ITEM_34"), v(rec, "ITEM_34"));
    markAll(form, rec, {"ITEM_21", "ITEM_32", "ITEM_32_1", "ITEM_51", "ITEM_51_1", "ITEM_161", "ITEM_160", "patent_ty"});
}

void fillApplied07(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists)
{
    ClearItemLabels(form);
    markAll(form, rec, {"ITEM_41_3", "ITEM_62", "ITEM_163"});
    set(form, QStringLiteral("QRLabel_64"), rec.province);
    set(form, QStringLiteral("QRLabel_63"), rec.department);
    fillOrganisations(form, rec, lists, Family::Applied);
}

void fillApprovalDate(report::ReportForm &form, const PrintRecord &rec, const QString &dayLabel)
{
    // The stored date as eight digits, yyyymmdd.
    const QString digits = v(rec, "ITEM_121").trimmed().remove(QLatin1Char('-'));
    set(form, QStringLiteral("QRLabel_year"), chars(digits, 1, 4));
    set(form, QStringLiteral("QRLabel_M"), chars(digits, 5, 6));
    set(form, dayLabel, chars(digits, 7, 8));
}

void fillBasic03(report::ReportForm &form, const PrintRecord &rec)
{
    // The library codes print as stored: only the subject table is needed.
    if (!rec.subjectError.isEmpty())
        throw db::EngineError(rec.subjectError);
    set(form, QStringLiteral("QR_item_15"), rec.subject1.trimmed());
    set(form, QStringLiteral("QR_item_15_1"), rec.subject2.trimmed());
    set(form, QStringLiteral("QR_item_12"), v(rec, "ITEM_12").trimmed());
    set(form, QStringLiteral("QR_item_12_1"), v(rec, "ITEM_12_1").trimmed());
    set(form, QStringLiteral("QR_item_127"), v(rec, "ITEM_127").trimmed());
    set(form, QStringLiteral("QR_item_127_1"), v(rec, "ITEM_127_1").trimmed());
    keywords(form, rec);
    ClearItemLabels(form);
    markAll(form, rec, {"ITEM_2", "ITEM_125", "ITEM_126", "ITEM_140", "ITEM_200", "ITEM_201", "ITEM_210"});
}

void fillBasic05(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists)
{
    ClearItemLabels(form);
    static const char *const fields[][2] = {
        {"QR_item_22", "ITEM_22"}, {"QR_item_9", "ITEM_9"},   {"QR_item_420", "ITEM_420"}, {"QR_item_37", "ITEM_37"},
        {"QR_item_39", "ITEM_39"}, {"QR_item_60", "ITEM_60"}, {"QR_item_38", "ITEM_38"},   {"QR_item_40", "ITEM_40"},
    };
    for (const auto &f : fields)
        set(form, QLatin1String(f[0]), v(rec, f[1]).trimmed());
    set(form, QStringLiteral("QR_item_64"), rec.province);
    set(form, QStringLiteral("QR_item_63"), rec.department);
    static const char *const more[][2] = {
        {"QR_item_41", "ITEM_41"},       {"QR_item_41_2", "ITEM_41_2"},     {"QR_item_61", "ITEM_61"},
        {"QR_Tlinkman", "TLinkMan"},     {"QR_TlinkmanTe", "TLinkManTe"}, {"QR_TlinkmanEm", "TLinkManEm"},
    };
    for (const auto &f : more)
        set(form, QLatin1String(f[0]), v(rec, f[1]).trimmed());
    markAll(form, rec, {"ITEM_163", "ITEM_41_3", "ITEM_62", "ITEM_21"});
    set(form, QStringLiteral("QR_ITEM_34"), v(rec, "ITEM_34"));
    fillOrganisations(form, rec, lists, Family::Basic);
}

void fillPersons(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family)
{
    report::MemDataset &ds = lists.ClientDataSet2;
    ds.empty();
    for (const report::Record &p : rec.persons) {
        ds.append();
        copy(ds, p, {"ITEM_187", "ITEM_180", "ITEM_182", "ITEM_185", "ITEM_186"});
        ds.setField(QStringLiteral("ITEM_181"), codetexts::text(codetexts::sex(), p.value(QStringLiteral("ITEM_181")).trimmed()));
        ds.setField(QStringLiteral("ITEM_183"), codetexts::text(codetexts::title(), p.value(QStringLiteral("ITEM_183"))));
        ds.setField(QStringLiteral("ITEM_184"), codetexts::text(codetexts::education(), p.value(QStringLiteral("ITEM_184"))));
        ds.setField(QStringLiteral("ITEM_188"), codetexts::text(codetexts::abroad(), p.value(QStringLiteral("ITEM_188"))));
        ds.post();
        rowFrames(form, 11, 19, 81);
    }
    // The list ends with one blank row where the page has room for it.
    ds.addPadding();
    chooseFooter(form, lists);
}

void fillCommittee(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family family)
{
    report::MemDataset &ds = lists.ClientDataSet1;
    ds.empty();
    const int rows = committeeRows(int(rec.committee.size()), family);
    // Blank rows pad the list to whole pages, as far as the pages have room.
    for (int i = 0; i < rows; ++i) {
        if (size_t(i) >= rec.committee.size()) {
            ds.addPadding();
            continue;
        }
        ds.append();
        const report::Record &m = rec.committee[size_t(i)];
        copy(ds, m, {"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_191", "ITEM_192", "ITEM_194", "ITEM_195", "ITEM_196",
                     "ITEM_197", "ITEM_199"});
        ds.setField(QStringLiteral("ITEM_193"), codetexts::text(codetexts::sex(), m.value(QStringLiteral("ITEM_193"))));
        ds.setField(QStringLiteral("ITEM_198"), codetexts::text(codetexts::title(), m.value(QStringLiteral("ITEM_198"))));
        ds.post();
    }
    chooseFooter(form, lists);
}

void fillOrganisations(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family family)
{
    report::MemDataset &ds = lists.ClientDataSet3;
    ds.empty();
    const int n = int(rec.organisations.size());
    // Applied technology: always eight rows, blank ones added; the other
    // family: the first eight organisations, no blank rows.
    const int rows = family == Family::Applied ? 8 : std::min(n, 8);
    for (int i = 0; i < rows; ++i) {
        if (i >= n) {
            ds.addPadding();
            continue;
        }
        ds.append();
        copy(ds, rec.organisations[size_t(i)], {"ITEM_176", "ITEM_170", "ITEM_171", "ITEM_172", "ITEM_173", "ITEM_174"});
        ds.post();
        if (family == Family::Applied)
            rowFrames(form, 41, 46, 51);
        else
            rowFrames(form, 48, 53, 45);
    }
    lists.bind(form);
}

} // namespace output
