#include "output/word/wordbookmarks.h"

#include "output/word/wordvalues.h"

namespace word {

namespace {

const QString kNationalPlan = QStringLiteral("国家科技计划;");

class Writer {
public:
    Writer(const WordRecord &record, const CodeTables &tables, const BookmarkSink &sink)
        : r(record.record), rec(record), t(tables), out(sink)
    {
    }

    QString field(const QString &name) const { return r[name]; }

    void put(const QString &bookmark, const QString &text) { out(bookmark, text); }

    // The field of the same name, as stored.
    void plain(std::initializer_list<QString> names)
    {
        for (const QString &n : names)
            put(n, field(n));
    }
    void plainFrom(const QString &bookmark, const QString &fieldName) { put(bookmark, field(fieldName)); }
    void dict(std::initializer_list<QString> names)
    {
        for (const QString &n : names)
            put(n, getDictName(t, n.toLower(), field(n)));
    }
    void dict2(std::initializer_list<QString> names)
    {
        for (const QString &n : names)
            put(n, getDictNames2(t, n.toLower(), field(n)));
    }
    void list(const QString &name) { put(name, getDictNameList(t, name.toLower(), field(name))); }
    void paddedFrom(const QString &bookmark, const QString &fieldName, int bytes)
    {
        put(bookmark, padded(field(fieldName), bytes));
    }

    // The subject's name; without the subject table the code itself.
    void subject(std::initializer_list<QString> names)
    {
        for (const QString &n : names) {
            const QString code = field(n);
            const auto name = t.subject(code);
            put(n, name ? *name : code);
        }
    }
    // The class number when the library table knows it; without the table
    // the code as stored.
    void library(std::initializer_list<QString> names)
    {
        for (const QString &n : names) {
            const QString code = field(n);
            const auto name = t.libraryClass(code);
            put(n, !name ? code : (name->isEmpty() ? QString() : code));
        }
    }
    void province(const QString &bookmark) { put(bookmark, t.province(field(QStringLiteral("ITEM_64")))); }
    void ministry(const QString &bookmark) { put(bookmark, t.ministry(field(QStringLiteral("ITEM_63")))); }
    void period(const QString &first, const QString &second)
    {
        const auto p = splitDateRange(field(QStringLiteral("ITEM_8")));
        put(first, p.first);
        put(second, p.second);
    }
    void keywords()
    {
        const auto k = splitSemicolon3(field(QStringLiteral("ITEM_14")));
        put(QStringLiteral("item_14_1"), k[0]);
        put(QStringLiteral("item_14_2"), k[1]);
        put(QStringLiteral("item_14_3"), k[2]);
    }
    void dateParts(const QString &name)
    {
        const auto d = splitDate(field(name));
        const QString base = name.toLower();
        put(base + QStringLiteral("_y"), d[0]);
        put(base + QStringLiteral("_m"), d[1]);
        put(base + QStringLiteral("_d"), d[2]);
    }

    // The sources of the project; the national plan's kind goes in brackets
    // after "国家科技计划".  When the record names a kind but no national
    // plan among its sources, the sources are written as they are.
    void projectSource(const QString &bookmark)
    {
        const QString s = getDictNames2(t, QStringLiteral("item_126"), field(QStringLiteral("ITEM_126")));
        const QString kind = field(QStringLiteral("ITEM_140"));
        if (kind.isEmpty()) {
            put(bookmark, s);
            return;
        }
        const qsizetype at = s.indexOf(kNationalPlan);
        if (at < 0) {
            put(bookmark, s);
            return;
        }
        const QString kindText = getDictName(t, QStringLiteral("item_140"), kind);
        put(bookmark, s.left(at) + QStringLiteral("国家科技计划(") + kindText + QStringLiteral(");")
                          + s.mid(at + kNationalPlan.size()));
    }
    void attribute(const QString &bookmark)
    {
        const QString a = getDictName(t, QStringLiteral("item_62"), field(QStringLiteral("ITEM_62")));
        const QString sub = field(QStringLiteral("ITEM_41_3"));
        put(bookmark, sub.isEmpty() ? a
                                    : a + u'(' + getDictName(t, QStringLiteral("item_41_3"), sub) + u')');
    }
    void convertedInstitute()
    {
        put(QStringLiteral("item_163"),
            field(QStringLiteral("ITEM_163")) == QLatin1String("1") ? QStringLiteral("(属于科研机构转制型企业)")
                                                                    : QString());
    }
    void reasonOfNonUse()
    {
        const QString reason = getDictNames2(t, QStringLiteral("item_32_1"), field(QStringLiteral("ITEM_32_1")));
        const QString detail = getDictName(t, QStringLiteral("item_160"), field(QStringLiteral("ITEM_160")));
        put(QStringLiteral("item_32_1"), detail.isEmpty() ? reason : reason + u'(' + detail + u')');
    }
    // The evaluation form; the two families keep their codes under keys of
    // their own.
    void appraisalForm()
    {
        const QString key = rec.applied() ? QStringLiteral("item_21") : QStringLiteral("item_21_l");
        put(QStringLiteral("item_21"), getDictName(t, key, field(QStringLiteral("ITEM_21"))));
    }
    void secrecyFlag()
    {
        const QString s = field(QStringLiteral("ITEM_1"));
        const bool secret = s == QLatin1String("2") || s == QLatin1String("3") || s == QLatin1String("4");
        put(QStringLiteral("item_1_1"), secret ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // One list: for each row up to the cap, each column's bookmark (prefix
    // and row number) gets the column's text of the row.
    struct Column {
        QString prefix;
        std::function<QString(const WordRow &)> text;
    };
    void rows(const QList<WordRow> &source, int cap, const std::vector<Column> &columns)
    {
        const int n = int(std::min<qsizetype>(source.size(), cap));
        for (int i = 0; i < n; ++i)
            for (const Column &c : columns)
                put(c.prefix + QString::number(i + 1), c.text(source[i]));
    }

    const WordRow &r;
    const WordRecord &rec;
    const CodeTables &t;
    const BookmarkSink &out;
};

using Column = Writer::Column;

Column plainCol(const QString &prefix, const QString &field)
{
    return {prefix, [field](const WordRow &row) { return row[field]; }};
}

Column codeCol(const QString &prefix, const QString &field, QString (*table)(const QString &), bool trim)
{
    return {prefix, [field, table, trim](const WordRow &row) {
                const QString code = row[field];
                return table(trim ? code.trimmed() : code);
            }};
}

QList<WordRow> patentsOfStatus(const WordRecord &rec, const QString &status)
{
    QList<WordRow> out;
    for (const WordRow &p : rec.patents)
        if (p[QStringLiteral("PATENT_ST")].trimmed() == status)
            out << p;
    return out;
}

void organisationRows(Writer &w, int cap, bool full)
{
    std::vector<Column> cols;
    if (full)
        cols.push_back(plainCol(QStringLiteral("item_176_"), QStringLiteral("ITEM_176")));
    cols.push_back(plainCol(QStringLiteral("item_170_"), QStringLiteral("ITEM_170")));
    cols.push_back(plainCol(QStringLiteral("item_171_"), QStringLiteral("ITEM_171")));
    cols.push_back(plainCol(QStringLiteral("item_172_"), QStringLiteral("ITEM_172")));
    if (full) {
        cols.push_back(plainCol(QStringLiteral("item_173_"), QStringLiteral("ITEM_173")));
        cols.push_back(plainCol(QStringLiteral("item_174_"), QStringLiteral("ITEM_174")));
    }
    w.rows(w.rec.organisations, cap, cols);
}

enum class PersonColumns { Registration, Application, Certificate };

void personRows(Writer &w, int cap, PersonColumns kind)
{
    std::vector<Column> cols;
    if (kind != PersonColumns::Application)
        cols.push_back(plainCol(QStringLiteral("item_187_"), QStringLiteral("ITEM_187")));
    cols.push_back(plainCol(QStringLiteral("item_180_"), QStringLiteral("ITEM_180")));
    cols.push_back(codeCol(QStringLiteral("item_181_"), QStringLiteral("ITEM_181"), sexText, true));
    cols.push_back(plainCol(QStringLiteral("item_182_"), QStringLiteral("ITEM_182")));
    cols.push_back(codeCol(QStringLiteral("item_183_"), QStringLiteral("ITEM_183"), titleText, false));
    cols.push_back(codeCol(QStringLiteral("item_184_"), QStringLiteral("ITEM_184"), educationText, false));
    if (kind == PersonColumns::Registration)
        cols.push_back(codeCol(QStringLiteral("item_188_"), QStringLiteral("ITEM_188"), abroadText, false));
    cols.push_back(plainCol(QStringLiteral("item_185_"), QStringLiteral("ITEM_185")));
    cols.push_back(plainCol(QStringLiteral("item_186_"), QStringLiteral("ITEM_186")));
    w.rows(w.rec.persons, cap, cols);
}

void committeeRows(Writer &w, int cap, bool withSex)
{
    std::vector<Column> cols;
    cols.push_back(plainCol(QStringLiteral("item_191_"), QStringLiteral("ITEM_191")));
    cols.push_back(plainCol(QStringLiteral("item_192_"), QStringLiteral("ITEM_192")));
    if (withSex)
        cols.push_back(codeCol(QStringLiteral("item_193_"), QStringLiteral("ITEM_193"), sexText, false));
    cols.push_back(plainCol(QStringLiteral("item_195_"), QStringLiteral("ITEM_195")));
    cols.push_back(plainCol(QStringLiteral("item_196_"), QStringLiteral("ITEM_196")));
    cols.push_back(plainCol(QStringLiteral("item_197_"), QStringLiteral("ITEM_197")));
    cols.push_back(codeCol(QStringLiteral("item_198_"), QStringLiteral("ITEM_198"), titleText, false));
    w.rows(w.rec.committee, cap, cols);
}

// The part both registration forms share from the keywords' end to the
// contact persons (the codes of the applied form in between are its own).
void registrationFunding(Writer &w)
{
    w.plain({QStringLiteral("item_127"), QStringLiteral("item_127_1"), QStringLiteral("item_149"),
             QStringLiteral("item_141"), QStringLiteral("item_148"), QStringLiteral("item_142"),
             QStringLiteral("item_142_1"), QStringLiteral("item_142_2"), QStringLiteral("item_142_3"),
             QStringLiteral("item_143"), QStringLiteral("item_144"), QStringLiteral("item_243"),
             QStringLiteral("item_244"), QStringLiteral("item_145")});
    w.appraisalForm();
}

void registrationOrganisation(Writer &w)
{
    w.plain({QStringLiteral("item_9"), QStringLiteral("item_420"), QStringLiteral("item_37"),
             QStringLiteral("item_38"), QStringLiteral("item_39"), QStringLiteral("item_40"),
             QStringLiteral("item_60"), QStringLiteral("TLinkMan"), QStringLiteral("TLinkManTe"),
             QStringLiteral("TLinkManEm")});
    w.attribute(QStringLiteral("item_62"));
    w.convertedInstitute();
    w.province(QStringLiteral("item_64"));
    w.ministry(QStringLiteral("item_63"));
    w.plain({QStringLiteral("item_41"), QStringLiteral("item_41_2"), QStringLiteral("item_61"),
             QStringLiteral("item_13_1")});
}

void appliedRegistration(Writer &w)
{
    w.plainFrom(QStringLiteral("item_3_a"), QStringLiteral("ITEM_3"));
    w.plainFrom(QStringLiteral("item_9_a"), QStringLiteral("ITEM_9"));
    w.period(QStringLiteral("item_8_1_a"), QStringLiteral("item_8_2_a"));
    w.plainFrom(QStringLiteral("item_121_a"), QStringLiteral("ITEM_121"));
    w.paddedFrom(QStringLiteral("item_128_a"), QStringLiteral("ITEM_128"), 42);
    w.plainFrom(QStringLiteral("item_120_a"), QStringLiteral("ITEM_120"));
    w.plain({QStringLiteral("item_3")});
    w.keywords();
    w.dict({QStringLiteral("item_123"), QStringLiteral("item_16"), QStringLiteral("item_2"),
            QStringLiteral("item_33"), QStringLiteral("item_201")});
    w.subject({QStringLiteral("item_15"), QStringLiteral("item_15_1")});
    w.library({QStringLiteral("item_12"), QStringLiteral("item_12_1")});
    w.dict2({QStringLiteral("item_124_1"), QStringLiteral("item_51")});
    w.list(QStringLiteral("patent_ty"));
    w.dict2({QStringLiteral("item_125")});
    w.projectSource(QStringLiteral("item_126"));
    w.dict({QStringLiteral("item_125_1")});
    registrationFunding(w);
    w.plain({QStringLiteral("item_130"), QStringLiteral("item_34"), QStringLiteral("item_22")});
    w.dict({QStringLiteral("item_51_1")});
    w.plain({QStringLiteral("item_51_2"), QStringLiteral("item_51_3"), QStringLiteral("item_53"),
             QStringLiteral("item_52")});
    w.dict({QStringLiteral("item_32")});
    w.plain({QStringLiteral("item_45"), QStringLiteral("item_150"), QStringLiteral("item_162"),
             QStringLiteral("item_151_1"), QStringLiteral("item_152_1"), QStringLiteral("item_153"),
             QStringLiteral("item_154")});
    w.dict({QStringLiteral("item_46"), QStringLiteral("item_47")});
    w.dict2({QStringLiteral("item_161")});
    w.reasonOfNonUse();
    registrationOrganisation(w);

    const std::vector<Column> granted{plainCol(QStringLiteral("patentl_no_"), QStringLiteral("PATENT_NO")),
                                      plainCol(QStringLiteral("patentl_nam_"), QStringLiteral("PATENT_NAM"))};
    w.rows(patentsOfStatus(w.rec, QStringLiteral("1")), 5, granted);
    const std::vector<Column> applied{plainCol(QStringLiteral("patent_no_"), QStringLiteral("PATENT_NO")),
                                      plainCol(QStringLiteral("patent_nam_"), QStringLiteral("PATENT_NAM"))};
    w.rows(patentsOfStatus(w.rec, QStringLiteral("2")), 5, applied);
    organisationRows(w, 8, true);
    personRows(w, 50, PersonColumns::Registration);
    committeeRows(w, 20, true);
}

void basicRegistration(Writer &w)
{
    w.put(QStringLiteral("item_3_a"), w.field(QStringLiteral("ITEM_3")) + u'\r');
    w.plainFrom(QStringLiteral("item_9_a"), QStringLiteral("ITEM_9"));
    w.plainFrom(QStringLiteral("item_121_a"), QStringLiteral("ITEM_121"));
    w.period(QStringLiteral("item_8_1_a"), QStringLiteral("item_8_2_a"));
    w.paddedFrom(QStringLiteral("item_128_a"), QStringLiteral("ITEM_128"), 42);
    w.plain({QStringLiteral("item_3")});
    w.keywords();
    w.dict({QStringLiteral("item_210"), QStringLiteral("item_2"), QStringLiteral("item_201")});
    w.subject({QStringLiteral("item_15"), QStringLiteral("item_15_1")});
    w.library({QStringLiteral("item_12"), QStringLiteral("item_12_1")});
    w.dict2({QStringLiteral("item_200"), QStringLiteral("item_125")});
    w.projectSource(QStringLiteral("item_126"));
    registrationFunding(w);
    w.plain({QStringLiteral("item_130"), QStringLiteral("item_34"), QStringLiteral("item_22")});
    registrationOrganisation(w);

    organisationRows(w, 8, true);
    personRows(w, 50, PersonColumns::Registration);
    committeeRows(w, 20, true);
}

void appraisalApplication(Writer &w)
{
    w.paddedFrom(QStringLiteral("item_3_1"), QStringLiteral("ITEM_3"), 46);
    w.paddedFrom(QStringLiteral("item_9"), QStringLiteral("ITEM_9"), 46);
    w.paddedFrom(QStringLiteral("item_130_1"), QStringLiteral("ITEM_130"), 40);
    w.plainFrom(QStringLiteral("item_3_2"), QStringLiteral("ITEM_3"));
    w.period(QStringLiteral("item_8_1"), QStringLiteral("item_8_2"));
    w.plainFrom(QStringLiteral("item_9_1"), QStringLiteral("ITEM_9"));
    w.plain({QStringLiteral("item_63"), QStringLiteral("item_64")});
    w.province(QStringLiteral("item_64_1"));
    w.ministry(QStringLiteral("item_63_1"));
    w.plain({QStringLiteral("item_62"), QStringLiteral("item_41"), QStringLiteral("item_38"),
             QStringLiteral("item_41_2"), QStringLiteral("item_37"), QStringLiteral("item_126")});
    w.projectSource(QStringLiteral("item_126_2"));
    w.secrecyFlag();
    w.plainFrom(QStringLiteral("item_1_2"), QStringLiteral("ITEM_1"));
    w.plain({QStringLiteral("item_13_1"), QStringLiteral("item_13_3")});

    personRows(w, 15, PersonColumns::Application);
}

void appraisalCertificate(Writer &w)
{
    w.plain({QStringLiteral("item_120"), QStringLiteral("item_121")});
    w.paddedFrom(QStringLiteral("item_3"), QStringLiteral("ITEM_3"), 46);
    w.paddedFrom(QStringLiteral("item_9"), QStringLiteral("ITEM_9"), 46);
    w.appraisalForm();
    w.paddedFrom(QStringLiteral("item_130"), QStringLiteral("ITEM_130"), 46);
    w.dateParts(QStringLiteral("ITEM_34"));
    w.dateParts(QStringLiteral("ITEM_302"));
    w.plain({QStringLiteral("item_13_1"), QStringLiteral("item_13_2"), QStringLiteral("item_13_3"),
             QStringLiteral("item_133"), QStringLiteral("item_303")});
    w.plainFrom(QStringLiteral("item_9_2"), QStringLiteral("ITEM_9"));
    w.plain({QStringLiteral("item_38"), QStringLiteral("item_64"), QStringLiteral("item_37")});
    w.ministry(QStringLiteral("item_63"));
    w.attribute(QStringLiteral("item_62"));

    organisationRows(w, 7, false);
    personRows(w, 15, PersonColumns::Certificate);
    committeeRows(w, 15, false);

    w.plainFrom(QStringLiteral("item_3_1"), QStringLiteral("ITEM_3"));
    w.period(QStringLiteral("item_8_1"), QStringLiteral("item_8_2"));
    w.plainFrom(QStringLiteral("item_9_1"), QStringLiteral("ITEM_9"));
    w.plainFrom(QStringLiteral("item_63_1"), QStringLiteral("ITEM_63"));
    w.plainFrom(QStringLiteral("item_64_1"), QStringLiteral("ITEM_64"));
    w.province(QStringLiteral("item_64_2"));
    w.ministry(QStringLiteral("item_63_2"));
    w.plainFrom(QStringLiteral("item_62_1"), QStringLiteral("ITEM_62"));
    w.plain({QStringLiteral("item_41")});
    w.plainFrom(QStringLiteral("item_38_1"), QStringLiteral("ITEM_38"));
    w.plain({QStringLiteral("item_41_2")});
    w.plainFrom(QStringLiteral("item_37_1"), QStringLiteral("ITEM_37"));
    w.plainFrom(QStringLiteral("item_34_1"), QStringLiteral("ITEM_34"));
    w.plainFrom(QStringLiteral("item_302_1"), QStringLiteral("ITEM_302"));
    w.plainFrom(QStringLiteral("item_130_1"), QStringLiteral("ITEM_130"));
    w.secrecyFlag();
    w.plainFrom(QStringLiteral("item_1_2"), QStringLiteral("ITEM_1"));
    w.plain({QStringLiteral("item_2"), QStringLiteral("item_126")});
    w.projectSource(QStringLiteral("item_126_2"));
    w.plain({QStringLiteral("item_125")});
    w.plainFrom(QStringLiteral("item_32_1"), QStringLiteral("ITEM_32"));
    w.put(QStringLiteral("item_32_1_1"), getDictName(w.t, QStringLiteral("item_32"), w.field(QStringLiteral("ITEM_32"))));
    w.plain({QStringLiteral("item_33")});
}

} // namespace

void writeBookmarks(WordForm form, const WordRecord &rec, const CodeTables &tables, const BookmarkSink &sink)
{
    Writer w(rec, tables, sink);
    switch (form) {
    case WordForm::AppliedRegistration: appliedRegistration(w); break;
    case WordForm::BasicRegistration: basicRegistration(w); break;
    case WordForm::AppraisalApplication: appraisalApplication(w); break;
    case WordForm::AppraisalCertificate: appraisalCertificate(w); break;
    }
}

QString templateFileName(WordForm form)
{
    switch (form) {
    case WordForm::AppliedRegistration: return QStringLiteral("应用技术登记表.dot");
    case WordForm::BasicRegistration: return QStringLiteral("基础、软科学登记表.dot");
    case WordForm::AppraisalApplication: return QStringLiteral("科学技术成果鉴定申请表.dot");
    case WordForm::AppraisalCertificate: return QStringLiteral("科学技术成果鉴定证书.dot");
    }
    return QString();
}

WordForm registrationForm(const WordRecord &rec)
{
    return rec.applied() ? WordForm::AppliedRegistration : WordForm::BasicRegistration;
}

QStringList quietBookmarks(WordForm)
{
    return {};
}

QStringList allBookmarks(WordForm form)
{
    WordRecord full;
    full.record.set(QStringLiteral("ITEM_CGLB"), form == WordForm::BasicRegistration ? QStringLiteral("2")
                                                                                     : QStringLiteral("1"));
    for (int i = 0; i < 60; ++i) {
        full.organisations << WordRow{};
        full.persons << WordRow{};
        full.committee << WordRow{};
        full.patents << WordRow{{QStringLiteral("PATENT_ST"), QStringLiteral("1")}}
                     << WordRow{{QStringLiteral("PATENT_ST"), QStringLiteral("2")}};
    }
    QStringList names;
    writeBookmarks(form, full, CodeTables(), [&names](const QString &b, const QString &) {
        if (!names.contains(b))
            names << b;
    });
    return names;
}

} // namespace word
