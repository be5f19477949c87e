// The texts each Word output writes into its bookmarks, from a rich record
// and from an empty one; list caps; the rules that read codes.

#include "wordfixtures.h"

#include "output/word/wordbookmarks.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace wordtest;
using word::WordForm;

namespace {

QStringList split(const char *names) { return QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts); }

// The record's bookmarks of each form as the forms list them (list rows aside).
const QStringList &appliedScalars()
{
    static const QStringList s = split(
        "item_3_a item_9_a item_8_1_a item_8_2_a item_121_a item_128_a item_120_a item_3 item_14_1 item_14_2 "
        "item_14_3 item_123 item_16 item_2 item_33 item_201 item_15 item_15_1 item_12 item_12_1 item_124_1 item_51 "
        "patent_ty item_125 item_126 item_125_1 item_127 item_127_1 item_149 item_141 item_148 item_142 item_142_1 "
        "item_142_2 item_142_3 item_143 item_144 item_243 item_244 item_145 item_21 item_130 item_34 item_22 "
        "item_51_1 item_51_2 item_51_3 item_53 item_52 item_32 item_45 item_150 item_162 item_151_1 item_152_1 "
        "item_153 item_154 item_46 item_47 item_161 item_32_1 item_9 item_420 item_37 item_38 item_39 item_40 "
        "item_60 TLinkMan TLinkManTe TLinkManEm item_62 item_163 item_64 item_63 item_41 item_41_2 item_61 "
        "item_13_1");
    return s;
}
const QStringList &basicScalars()
{
    static const QStringList s = split(
        "item_3_a item_9_a item_121_a item_8_1_a item_8_2_a item_128_a item_3 item_14_1 item_14_2 item_14_3 "
        "item_210 item_2 item_201 item_15 item_15_1 item_12 item_12_1 item_200 item_125 item_126 item_127 "
        "item_127_1 item_149 item_141 item_148 item_142 item_142_1 item_142_2 item_142_3 item_143 item_144 "
        "item_243 item_244 item_145 item_21 item_130 item_34 item_22 item_9 item_420 item_37 item_38 item_39 "
        "item_40 item_60 TLinkMan TLinkManTe TLinkManEm item_62 item_163 item_64 item_63 item_41 item_41_2 "
        "item_61 item_13_1");
    return s;
}
const QStringList &applicationScalars()
{
    static const QStringList s = split(
        "item_3_1 item_9 item_130_1 item_3_2 item_8_1 item_8_2 item_9_1 item_63 item_64 item_64_1 item_63_1 "
        "item_62 item_41 item_38 item_41_2 item_37 item_126 item_126_2 item_1_1 item_1_2 item_13_1 item_13_3");
    return s;
}
const QStringList &certificateScalars()
{
    static const QStringList s = split(
        "item_120 item_121 item_3 item_9 item_21 item_130 item_34_y item_34_m item_34_d item_302_y item_302_m "
        "item_302_d item_13_1 item_13_2 item_13_3 item_133 item_303 item_9_2 item_38 item_64 item_37 item_63 "
        "item_62 item_3_1 item_8_1 item_8_2 item_9_1 item_63_1 item_64_1 item_64_2 item_63_2 item_62_1 item_41 "
        "item_38_1 item_41_2 item_37_1 item_34_1 item_302_1 item_130_1 item_1_1 item_1_2 item_2 item_126 "
        "item_126_2 item_125 item_32_1 item_32_1_1 item_33");
    return s;
}

bool isListRow(const QString &b)
{
    static const QStringList prefixes = split(
        "item_170_ item_171_ item_172_ item_173_ item_174_ item_176_ item_180_ item_181_ item_182_ item_183_ "
        "item_184_ item_185_ item_186_ item_187_ item_188_ item_191_ item_192_ item_193_ item_195_ item_196_ "
        "item_197_ item_198_ patentl_no_ patentl_nam_ patent_no_ patent_nam_");
    for (const QString &p : prefixes)
        if (b.startsWith(p) && b.mid(p.size()).toInt() > 0)
            return true;
    return false;
}

QStringList scalarsWritten(WordForm form, const WordRecord &rec)
{
    QStringList out;
    for (const auto &p : written(form, rec))
        if (!isListRow(p.first))
            out << p.first;
    return out;
}

// Bookmarks whose text is the field of the same name as stored.
void expectPlain(const QMap<QString, QString> &m, const WordRecord &rec, const char *names)
{
    for (const QString &n : split(names))
        EXPECT_EQ(m.value(n), rec.record[n]) << qPrintable(n);
}

struct FormCase {
    WordForm form;
    const QStringList &(*scalars)();
    QMap<QString, QString> emptyTexts;  // what an empty record gives where it is not ""
};

const std::vector<FormCase> &formCases()
{
    static const std::vector<FormCase> c{
        {WordForm::AppliedRegistration, appliedScalars, {{"item_128_a", "\r"}}},
        {WordForm::BasicRegistration, basicScalars, {{"item_128_a", "\r"}, {"item_3_a", "\r"}}},
        {WordForm::AppraisalApplication, applicationScalars,
         {{"item_3_1", "\r"}, {"item_9", "\r"}, {"item_130_1", "\r"}, {"item_1_1", "0"}}},
        {WordForm::AppraisalCertificate, certificateScalars,
         {{"item_3", "\r"}, {"item_9", "\r"}, {"item_130", "\r"}, {"item_1_1", "0"}}},
    };
    return c;
}

} // namespace

TEST(WordBookmarks, EveryFormWritesEachOfItsBookmarksOnceFromRichAndEmptyRecords)
{
    for (const FormCase &fc : formCases()) {
        SCOPED_TRACE(qPrintable(word::templateFileName(fc.form)));
        const QString category = fc.form == WordForm::BasicRegistration ? QStringLiteral("3") : QStringLiteral("1");
        EXPECT_EQ(scalarsWritten(fc.form, richRecord(category)), fc.scalars());

        WordRecord empty;
        empty.record.set(QStringLiteral("ITEM_CGLB"), category);
        const auto texts = written(fc.form, empty);
        QStringList names;
        for (const auto &p : texts) {
            names << p.first;
            EXPECT_EQ(p.second, fc.emptyTexts.value(p.first)) << qPrintable(p.first);
        }
        EXPECT_EQ(names, fc.scalars()) << "an empty record writes no list row";
    }
}

TEST(WordBookmarks, AppliedRegistrationTextsOfARichRecord)
{
    const WordRecord rec = richRecord();
    const auto m = writtenMap(WordForm::AppliedRegistration, rec);
    EXPECT_EQ(m["item_3_a"], rec.record["ITEM_3"]);
    EXPECT_EQ(m["item_9_a"], rec.record["ITEM_9"]);
    EXPECT_EQ(m["item_8_1_a"], QStringLiteral("2004年01月"));
    EXPECT_EQ(m["item_8_2_a"], QStringLiteral("2006年12月"));
    EXPECT_EQ(m["item_121_a"], QStringLiteral("2007-03-15"));
    EXPECT_EQ(m["item_128_a"], QStringLiteral("青岚省科学技术厅\r"));
    EXPECT_EQ(m["item_120_a"], QStringLiteral("2007Y0012"));
    EXPECT_EQ(m["item_14_1"], QStringLiteral("混凝土"));
    EXPECT_EQ(m["item_14_2"], QStringLiteral("抗冻融"));
    EXPECT_EQ(m["item_14_3"], QStringLiteral("外加剂"));
    for (const char *k : {"item_123", "item_16", "item_2", "item_33", "item_201", "item_125_1", "item_51_1",
                          "item_32", "item_46", "item_47"})
        EXPECT_EQ(m[k], dn(k, rec.record[k])) << k;
    EXPECT_EQ(m["item_15"], QStringLiteral("混凝土材料"));
    EXPECT_EQ(m["item_15_1"], QStringLiteral("建筑材料学"));
    EXPECT_EQ(m["item_12"], QStringLiteral("TU528")) << "the class number, not its name";
    EXPECT_EQ(m["item_12_1"], QString()) << "a class without a name gives nothing";
    EXPECT_EQ(m["item_124_1"], dn("item_124_1", "01") + ";" + dn("item_124_1", "05"));
    EXPECT_EQ(m["item_51"], dn("item_51", "1") + ";" + dn("item_51", "3"));
    EXPECT_EQ(m["item_125"], dn("item_125", "02") + ";" + dn("item_125", "06"));
    EXPECT_EQ(m["item_161"], dn("item_161", "1") + ";" + dn("item_161", "2"));
    EXPECT_EQ(m["patent_ty"], QStringLiteral("发明专利;外观设计专利;"));
    EXPECT_EQ(m["item_126"], QStringLiteral("国家科技计划(国家科技支撑计划);地方计划"));
    EXPECT_EQ(m["item_21"], dn("item_21", "2"));
    EXPECT_EQ(m["item_32_1"], QStringLiteral("资金问题;市场问题(无资金渠道)"));
    EXPECT_EQ(m["item_62"], QStringLiteral("企业(股份有限公司)"));
    EXPECT_EQ(m["item_163"], QStringLiteral("(属于科研机构转制型企业)"));
    EXPECT_EQ(m["item_64"], QStringLiteral("山东省"));
    EXPECT_EQ(m["item_63"], QStringLiteral("科学技术部"));
    expectPlain(m, rec,
                "item_3 item_127 item_127_1 item_149 item_141 item_148 item_142 item_142_1 item_142_2 item_142_3 "
                "item_143 item_144 item_243 item_244 item_145 item_130 item_34 item_22 item_51_2 item_51_3 item_53 "
                "item_52 item_45 item_150 item_162 item_151_1 item_152_1 item_153 item_154 item_9 item_420 item_37 "
                "item_38 item_39 item_40 item_60 TLinkMan TLinkManTe TLinkManEm item_41 item_41_2 item_61 item_13_1");

    // Lists: accepted patents, granted patents, organisations, persons, committee.
    EXPECT_EQ(m["patentl_no_1"], QStringLiteral("ZL200511"));
    EXPECT_EQ(m["patentl_nam_2"], QStringLiteral("专利1-3"));
    EXPECT_EQ(m["patent_no_1"], QStringLiteral("ZL200522"));
    EXPECT_EQ(m["patent_nam_2"], QStringLiteral("专利2-4"));
    EXPECT_FALSE(m.contains("patentl_no_3"));
    EXPECT_EQ(m["item_176_2"], QStringLiteral("2"));
    EXPECT_EQ(m["item_170_1"], QStringLiteral("合作单位1"));
    EXPECT_EQ(m["item_171_1"], QStringLiteral("青岚市东路1号"));
    EXPECT_EQ(m["item_172_1"], QStringLiteral("266000"));
    EXPECT_EQ(m["item_173_2"], QStringLiteral("联系人2"));
    EXPECT_EQ(m["item_174_2"], QStringLiteral("0532-88802"));
    EXPECT_EQ(m["item_187_1"], QStringLiteral("1"));
    EXPECT_EQ(m["item_180_2"], QStringLiteral("完成人2"));
    EXPECT_EQ(m["item_181_1"], QStringLiteral("男"));
    EXPECT_EQ(m["item_181_2"], QStringLiteral("女"));
    EXPECT_EQ(m["item_182_1"], QStringLiteral("1968.04"));
    EXPECT_EQ(m["item_183_1"], QStringLiteral("工程院院士"));
    EXPECT_EQ(m["item_184_1"], QStringLiteral("博士研究生"));
    EXPECT_EQ(m["item_188_1"], QStringLiteral("是"));
    EXPECT_EQ(m["item_185_1"], QStringLiteral("青岚应用技术研究院"));
    EXPECT_EQ(m["item_186_2"], QStringLiteral("总体方案设计2"));
    EXPECT_EQ(m["item_191_1"], QStringLiteral("主任"));
    EXPECT_EQ(m["item_192_2"], QStringLiteral("评委2"));
    EXPECT_EQ(m["item_193_1"], QStringLiteral("女"));
    EXPECT_EQ(m["item_193_2"], QStringLiteral("男"));
    EXPECT_EQ(m["item_195_1"], QStringLiteral("北川大学1"));
    EXPECT_EQ(m["item_196_1"], QStringLiteral("土木工程"));
    EXPECT_EQ(m["item_197_1"], QStringLiteral("建筑材料"));
    EXPECT_EQ(m["item_198_1"], QStringLiteral("正高"));
}

TEST(WordBookmarks, BasicRegistrationTextsOfARichRecord)
{
    const WordRecord rec = richRecord(QStringLiteral("2"));
    const auto m = writtenMap(WordForm::BasicRegistration, rec);
    EXPECT_EQ(m["item_3_a"], rec.record["ITEM_3"] + "\r") << "the cover breaks after the name whatever its length";
    EXPECT_EQ(m["item_8_1_a"], QStringLiteral("2004年01月"));
    EXPECT_EQ(m["item_128_a"], QStringLiteral("青岚省科学技术厅\r"));
    EXPECT_EQ(m["item_210"], dn("item_210", "2"));
    EXPECT_EQ(m["item_200"], dn("item_200", "01") + ";" + dn("item_200", "03"));
    EXPECT_EQ(m["item_15"], QStringLiteral("混凝土材料"));
    EXPECT_EQ(m["item_12"], QStringLiteral("TU528"));
    EXPECT_EQ(m["item_126"], QStringLiteral("国家科技计划(国家科技支撑计划);地方计划"));
    EXPECT_EQ(m["item_21"], QStringLiteral("验收")) << "the basic-theory family keeps its codes under item_21_l";
    EXPECT_EQ(m["item_62"], QStringLiteral("企业(股份有限公司)"));
    EXPECT_EQ(m["item_64"], QStringLiteral("山东省"));
    EXPECT_EQ(m["item_9_a"], rec.record["ITEM_9"]);
    EXPECT_EQ(m["item_121_a"], rec.record["ITEM_121"]);
    EXPECT_EQ(m["item_8_2_a"], QStringLiteral("2006年12月"));
    EXPECT_EQ(m["item_14_1"], QStringLiteral("混凝土"));
    EXPECT_EQ(m["item_14_2"], QStringLiteral("抗冻融"));
    EXPECT_EQ(m["item_14_3"], QStringLiteral("外加剂"));
    EXPECT_EQ(m["item_2"], dn("item_2", "3"));
    EXPECT_EQ(m["item_201"], dn("item_201", "1"));
    EXPECT_EQ(m["item_15_1"], QStringLiteral("建筑材料学"));
    EXPECT_EQ(m["item_12_1"], QString());
    EXPECT_EQ(m["item_125"], dn("item_125", "02") + ";" + dn("item_125", "06"));
    EXPECT_EQ(m["item_163"], QStringLiteral("(属于科研机构转制型企业)"));
    EXPECT_EQ(m["item_63"], QStringLiteral("科学技术部"));
    expectPlain(m, rec,
                "item_3 item_127 item_127_1 item_149 item_141 item_148 item_142 item_142_1 item_142_2 item_142_3 "
                "item_143 item_144 item_243 item_244 item_145 item_130 item_34 item_22 item_9 item_420 item_37 "
                "item_38 item_39 item_40 item_60 TLinkMan TLinkManTe TLinkManEm item_41 item_41_2 item_61 item_13_1");
    EXPECT_FALSE(m.contains("patentl_no_1")) << "no patents on this form";
    EXPECT_EQ(m["item_188_2"], QStringLiteral("是"));
    EXPECT_EQ(m["item_198_2"], QStringLiteral("正高"));
    EXPECT_EQ(m["item_176_1"], QStringLiteral("1"));
}

TEST(WordBookmarks, AppraisalApplicationTextsOfARichRecord)
{
    const WordRecord rec = richRecord();
    const auto m = writtenMap(WordForm::AppraisalApplication, rec);
    EXPECT_EQ(m["item_3_1"], rec.record["ITEM_3"] + "\r");
    EXPECT_EQ(m["item_9"], rec.record["ITEM_9"] + "\r");
    EXPECT_EQ(m["item_130_1"], rec.record["ITEM_130"] + "\r");
    EXPECT_EQ(m["item_3_2"], rec.record["ITEM_3"]);
    EXPECT_EQ(m["item_8_1"], QStringLiteral("2004年01月"));
    EXPECT_EQ(m["item_8_2"], QStringLiteral("2006年12月"));
    EXPECT_EQ(m["item_9_1"], rec.record["ITEM_9"]);
    EXPECT_EQ(m["item_63"], QStringLiteral("101"));
    EXPECT_EQ(m["item_64"], QStringLiteral("37"));
    EXPECT_EQ(m["item_64_1"], QStringLiteral("山东省"));
    EXPECT_EQ(m["item_63_1"], QStringLiteral("科学技术部"));
    EXPECT_EQ(m["item_62"], QStringLiteral("3"));
    EXPECT_EQ(m["item_126"], QStringLiteral("01;03;"));
    EXPECT_EQ(m["item_126_2"], QStringLiteral("国家科技计划(国家科技支撑计划);地方计划"));
    EXPECT_EQ(m["item_1_1"], QStringLiteral("1"));
    EXPECT_EQ(m["item_1_2"], QStringLiteral("3"));
    expectPlain(m, rec, "item_41 item_38 item_41_2 item_37 item_13_1 item_13_3");
    // Persons: no order number, no returned-from-abroad column.
    EXPECT_EQ(m["item_180_1"], QStringLiteral("完成人1"));
    EXPECT_EQ(m["item_181_2"], QStringLiteral("女"));
    EXPECT_EQ(m["item_183_1"], QStringLiteral("工程院院士"));
    EXPECT_EQ(m["item_184_1"], QStringLiteral("博士研究生"));
    EXPECT_EQ(m["item_186_1"], QStringLiteral("总体方案设计1"));
    EXPECT_FALSE(m.contains("item_187_1"));
    EXPECT_FALSE(m.contains("item_188_1"));
    EXPECT_FALSE(m.contains("item_170_1"));
    EXPECT_FALSE(m.contains("item_192_1"));
}

TEST(WordBookmarks, AppraisalCertificateTextsOfARichRecord)
{
    const WordRecord rec = richRecord();
    const auto m = writtenMap(WordForm::AppraisalCertificate, rec);
    EXPECT_EQ(m["item_120"], QStringLiteral("2007Y0012"));
    EXPECT_EQ(m["item_121"], QStringLiteral("2007-03-15"));
    EXPECT_EQ(m["item_3"], rec.record["ITEM_3"] + "\r");
    EXPECT_EQ(m["item_9"], rec.record["ITEM_9"] + "\r");
    EXPECT_EQ(m["item_130"], rec.record["ITEM_130"] + "\r");
    EXPECT_EQ(m["item_21"], dn("item_21", "2"));
    EXPECT_EQ(m["item_34_y"], QStringLiteral("2006"));
    EXPECT_EQ(m["item_34_m"], QStringLiteral("05"));
    EXPECT_EQ(m["item_34_d"], QStringLiteral("17"));
    EXPECT_EQ(m["item_302_y"], QStringLiteral("2006"));
    EXPECT_EQ(m["item_302_m"], QStringLiteral("06"));
    EXPECT_EQ(m["item_302_d"], QStringLiteral("01"));
    EXPECT_EQ(m["item_9_2"], rec.record["ITEM_9"]);
    EXPECT_EQ(m["item_64"], QStringLiteral("37"));
    EXPECT_EQ(m["item_63"], QStringLiteral("科学技术部"));
    EXPECT_EQ(m["item_62"], QStringLiteral("企业(股份有限公司)"));
    EXPECT_EQ(m["item_3_1"], rec.record["ITEM_3"]);
    EXPECT_EQ(m["item_8_1"], QStringLiteral("2004年01月"));
    EXPECT_EQ(m["item_8_2"], QStringLiteral("2006年12月"));
    EXPECT_EQ(m["item_9_1"], rec.record["ITEM_9"]);
    EXPECT_EQ(m["item_63_1"], QStringLiteral("101"));
    EXPECT_EQ(m["item_64_1"], QStringLiteral("37"));
    EXPECT_EQ(m["item_64_2"], QStringLiteral("山东省"));
    EXPECT_EQ(m["item_63_2"], QStringLiteral("科学技术部"));
    EXPECT_EQ(m["item_62_1"], QStringLiteral("3"));
    EXPECT_EQ(m["item_38_1"], rec.record["ITEM_38"]);
    EXPECT_EQ(m["item_37_1"], rec.record["ITEM_37"]);
    EXPECT_EQ(m["item_34_1"], QStringLiteral("2006.05.17"));
    EXPECT_EQ(m["item_302_1"], QStringLiteral("2006.06.01"));
    EXPECT_EQ(m["item_130_1"], rec.record["ITEM_130"]);
    EXPECT_EQ(m["item_1_1"], QStringLiteral("1"));
    EXPECT_EQ(m["item_1_2"], QStringLiteral("3"));
    EXPECT_EQ(m["item_2"], QStringLiteral("3"));
    EXPECT_EQ(m["item_126"], QStringLiteral("01;03;"));
    EXPECT_EQ(m["item_126_2"], QStringLiteral("国家科技计划(国家科技支撑计划);地方计划"));
    EXPECT_EQ(m["item_125"], QStringLiteral("02;06;"));
    EXPECT_EQ(m["item_32_1"], QStringLiteral("1")) << "the certificate's item_32_1 is the application state's code";
    EXPECT_EQ(m["item_32_1_1"], dn("item_32", "1"));
    EXPECT_EQ(m["item_33"], QStringLiteral("4"));
    expectPlain(m, rec, "item_13_1 item_13_2 item_13_3 item_133 item_303 item_38 item_37 item_41 item_41_2");
    // Organisations: name, address, postcode only; committee without sex.
    EXPECT_EQ(m["item_170_1"], QStringLiteral("合作单位1"));
    EXPECT_EQ(m["item_172_2"], QStringLiteral("266000"));
    EXPECT_FALSE(m.contains("item_176_1"));
    EXPECT_FALSE(m.contains("item_173_1"));
    EXPECT_EQ(m["item_187_2"], QStringLiteral("2"));
    EXPECT_EQ(m["item_181_2"], QStringLiteral("女"));
    EXPECT_FALSE(m.contains("item_188_1"));
    EXPECT_EQ(m["item_191_1"], QStringLiteral("主任"));
    EXPECT_EQ(m["item_198_2"], QStringLiteral("正高"));
    EXPECT_FALSE(m.contains("item_193_1"));

    // The lists come between item_62 and item_3_1.
    QStringList order;
    for (const auto &p : written(WordForm::AppraisalCertificate, rec))
        order << p.first;
    EXPECT_LT(order.indexOf("item_62"), order.indexOf("item_170_1"));
    EXPECT_LT(order.indexOf("item_198_2"), order.indexOf("item_3_1"));
}

TEST(WordBookmarks, ListsStopAtTheirCaps)
{
    const WordRecord rec = withLists(richRecord(), 51, 21, 9, 6);

    struct Cap {
        WordForm form;
        const char *lastRow;
        const char *beyond;
    };
    const std::vector<Cap> caps{
        {WordForm::AppliedRegistration, "item_180_50", "item_180_51"},
        {WordForm::AppliedRegistration, "item_192_20", "item_192_21"},
        {WordForm::AppliedRegistration, "item_170_8", "item_170_9"},
        {WordForm::AppliedRegistration, "patentl_no_5", "patentl_no_6"},
        {WordForm::AppliedRegistration, "patent_nam_5", "patent_nam_6"},
        {WordForm::BasicRegistration, "item_186_50", "item_186_51"},
        {WordForm::BasicRegistration, "item_198_20", "item_198_21"},
        {WordForm::BasicRegistration, "item_174_8", "item_174_9"},
        {WordForm::AppraisalApplication, "item_180_15", "item_180_16"},
        {WordForm::AppraisalCertificate, "item_187_15", "item_187_16"},
        {WordForm::AppraisalCertificate, "item_192_15", "item_192_16"},
        {WordForm::AppraisalCertificate, "item_170_7", "item_170_8"},
    };
    for (const Cap &c : caps) {
        const auto m = writtenMap(c.form, rec);
        EXPECT_TRUE(m.contains(c.lastRow)) << c.lastRow;
        EXPECT_FALSE(m.contains(c.beyond)) << c.beyond;
    }
    const auto m = writtenMap(WordForm::AppliedRegistration, rec);
    EXPECT_EQ(m["item_180_50"], QStringLiteral("完成人50"));
    EXPECT_EQ(m["item_170_8"], QStringLiteral("合作单位8"));
    EXPECT_EQ(m["patent_no_5"], QStringLiteral("ZL2005215"));
}

TEST(WordBookmarks, CodeTablesOfPersonsAndCommittee)
{
    WordRecord rec = richRecord();
    rec.persons = {person(1, QStringLiteral(" 1")), person(2, QStringLiteral("x"))};
    rec.persons[1].set(QStringLiteral("ITEM_183"), QStringLiteral("7"));
    rec.persons[1].set(QStringLiteral("ITEM_184"), QStringLiteral("1"));
    rec.committee = {member(1, QStringLiteral(" 1")), member(2)};
    rec.committee[1].set(QStringLiteral("ITEM_198"), QStringLiteral("z"));
    const auto m = writtenMap(WordForm::AppliedRegistration, rec);
    EXPECT_EQ(m["item_181_1"], QStringLiteral("女")) << "a person's sex is trimmed";
    EXPECT_EQ(m["item_193_1"], QString()) << "a member's sex is compared as stored";
    EXPECT_EQ(m["item_181_2"], QString());
    EXPECT_EQ(m["item_183_2"], QString()) << "an unknown title leaves the bookmark empty";
    EXPECT_EQ(m["item_184_2"], QString()) << "education has no code 1";
    EXPECT_EQ(m["item_198_2"], QString());
    EXPECT_EQ(m["item_192_2"], QStringLiteral("评委2")) << "the rest of the row is filled";
    const auto cert = writtenMap(WordForm::AppraisalCertificate, rec);
    EXPECT_EQ(cert["item_198_2"], QString());
    EXPECT_EQ(cert["item_195_2"], QStringLiteral("北川大学2"));
}

TEST(WordBookmarks, ProjectSourceIsWrittenInEveryBranch)
{
    auto source = [](const QString &sources, const QString &kind, WordForm form, const char *bookmark) {
        WordRecord rec = richRecord();
        rec.record.set(QStringLiteral("ITEM_126"), sources);
        rec.record.set(QStringLiteral("ITEM_140"), kind);
        return writtenMap(form, rec).value(QString::fromLatin1(bookmark));
    };
    for (auto [form, bm] : {std::pair{WordForm::AppliedRegistration, "item_126"},
                            std::pair{WordForm::BasicRegistration, "item_126"},
                            std::pair{WordForm::AppraisalApplication, "item_126_2"},
                            std::pair{WordForm::AppraisalCertificate, "item_126_2"}}) {
        SCOPED_TRACE(bm);
        EXPECT_EQ(source("02;03;", "", form, bm), QStringLiteral("部门计划;地方计划"));
        EXPECT_EQ(source("01;", "7", form, bm), QStringLiteral("国家科技计划(国家科技支撑计划);"));
        EXPECT_EQ(source("01;02;", "7", form, bm), QStringLiteral("国家科技计划(国家科技支撑计划);部门计划"));
        // A kind of national plan kept from an earlier choice while the
        // sources no longer name the national plan: the sources still show.
        EXPECT_EQ(source("02;03;", "7", form, bm), QStringLiteral("部门计划;地方计划"));
        EXPECT_EQ(source("", "", form, bm), QString());
    }
}

TEST(WordBookmarks, EvaluationFormIsLookedUpUnderTheFamilysKey)
{
    CodeTables t = richTables();
    t.addDict("item_21", "8", QStringLiteral("评价机构"));
    t.addDict("item_21_l", "8", QStringLiteral("不应出现"));
    for (const QString &category : {QStringLiteral("2"), QStringLiteral("3"), QString()}) {
        WordRecord rec = richRecord(category);
        rec.record.set(QStringLiteral("ITEM_21"), QStringLiteral("4"));
        EXPECT_EQ(writtenMap(WordForm::BasicRegistration, rec, t)["item_21"], QStringLiteral("评审"));
        EXPECT_EQ(writtenMap(WordForm::AppraisalCertificate, rec, t)["item_21"], QStringLiteral("评审"));
    }
    WordRecord applied = richRecord(QStringLiteral("1"));
    applied.record.set(QStringLiteral("ITEM_21"), QStringLiteral("8"));
    EXPECT_EQ(writtenMap(WordForm::AppraisalCertificate, applied, t)["item_21"], QStringLiteral("评价机构"));
    EXPECT_EQ(writtenMap(WordForm::AppliedRegistration, applied, t)["item_21"], QStringLiteral("评价机构"));
}

TEST(WordBookmarks, MissingClassificationTablesShowTheCodes)
{
    CodeTables t;
    t.addDict("item_126", "01", QStringLiteral("国家科技计划"));
    const WordRecord rec = richRecord();
    for (WordForm form : {WordForm::AppliedRegistration, WordForm::BasicRegistration}) {
        const auto m = writtenMap(form, rec, t);
        EXPECT_EQ(m["item_15"], QStringLiteral("6202010"));
        EXPECT_EQ(m["item_15_1"], QStringLiteral("5801510"));
        EXPECT_EQ(m["item_12"], QStringLiteral("TU528"));
        EXPECT_EQ(m["item_12_1"], QStringLiteral("TU5"));
        EXPECT_EQ(m["item_13_1"], rec.record["ITEM_13_1"]) << "the export goes on past them";
    }
    // A present table that lacks the code gives nothing.
    t.markSubjectsPresent();
    EXPECT_EQ(writtenMap(WordForm::AppliedRegistration, rec, t)["item_15"], QString());
}

TEST(WordBookmarks, SmallRules)
{
    auto with = [](WordForm form, std::initializer_list<std::pair<QString, QString>> fields) {
        WordRecord rec = richRecord();
        for (const auto &f : fields)
            rec.record.set(f.first, f.second);
        return writtenMap(form, rec);
    };
    for (const char *level : {"1", ""})
        EXPECT_EQ(with(WordForm::AppraisalApplication, {{"ITEM_1", level}})["item_1_1"], "0");
    for (const char *level : {"2", "3", "4"})
        EXPECT_EQ(with(WordForm::AppraisalCertificate, {{"ITEM_1", level}})["item_1_1"], "1");
    for (const char *v : {"0", "", "01"})
        EXPECT_EQ(with(WordForm::AppliedRegistration, {{"ITEM_163", v}})["item_163"], QString());
    EXPECT_EQ(with(WordForm::AppliedRegistration, {{"ITEM_41_3", ""}})["item_62"], QStringLiteral("企业"));
    EXPECT_EQ(with(WordForm::AppliedRegistration, {{"ITEM_160", ""}})["item_32_1"],
              QStringLiteral("资金问题;市场问题"));
    EXPECT_EQ(with(WordForm::AppliedRegistration, {{"ITEM_14", QStringLiteral("甲;乙;丙;丁")}})["item_14_3"],
              QStringLiteral("丙"));
}

TEST(WordBookmarks, PaddedBookmarksBreakOnlyBelowTheirWidthInGbkBytes)
{
    struct Pad {
        WordForm form;
        const char *bookmark;
        const char *field;
        int bytes;
    };
    const std::vector<Pad> pads{
        {WordForm::AppliedRegistration, "item_128_a", "ITEM_128", 42},
        {WordForm::BasicRegistration, "item_128_a", "ITEM_128", 42},
        {WordForm::AppraisalApplication, "item_3_1", "ITEM_3", 46},
        {WordForm::AppraisalApplication, "item_9", "ITEM_9", 46},
        {WordForm::AppraisalApplication, "item_130_1", "ITEM_130", 40},
        {WordForm::AppraisalCertificate, "item_3", "ITEM_3", 46},
        {WordForm::AppraisalCertificate, "item_9", "ITEM_9", 46},
        {WordForm::AppraisalCertificate, "item_130", "ITEM_130", 46},
    };
    for (const Pad &p : pads) {
        SCOPED_TRACE(p.bookmark);
        auto text = [&p](const QString &value) {
            WordRecord rec = richRecord(p.form == WordForm::BasicRegistration ? QStringLiteral("2")
                                                                            : QStringLiteral("1"));
            rec.record.set(QString::fromLatin1(p.field), value);
            return writtenMap(p.form, rec).value(QString::fromLatin1(p.bookmark));
        };
        // A Chinese character counts two bytes.
        const QString shortOne = QStringLiteral("推") + QString(p.bytes - 3, u'a');
        const QString wide = QStringLiteral("推") + QString(p.bytes - 2, u'a');
        const QString longer = QStringLiteral("推荐单位") + QString(p.bytes, u'a');
        EXPECT_EQ(text(shortOne), shortOne + "\r");
        EXPECT_EQ(text(wide), wide);
        EXPECT_EQ(text(longer), longer);
        EXPECT_EQ(text(QString()), QStringLiteral("\r"));
    }
    // The covers of the registration forms: the applied one as stored, the
    // basic-theory one always with its break.
    const QString c46(46, u'c');
    WordRecord applied = richRecord();
    applied.record.set(QStringLiteral("ITEM_3"), c46);
    EXPECT_EQ(writtenMap(WordForm::AppliedRegistration, applied)["item_3_a"], c46);
    WordRecord basic = richRecord(QStringLiteral("2"));
    basic.record.set(QStringLiteral("ITEM_3"), c46 + c46);
    EXPECT_EQ(writtenMap(WordForm::BasicRegistration, basic)["item_3_a"], c46 + c46 + "\r");
}

TEST(WordBookmarks, ListColumnsOfEachFormInFillOrder)
{
    WordRecord rec = richRecord();
    rec.organisations = {organisation(1)};
    rec.persons = {person(1)};
    rec.committee = {member(1)};
    rec.patents = {patent(1, "2"), patent(2, "1")};
    const std::vector<std::pair<WordForm, QStringList>> forms{
        {WordForm::AppliedRegistration,
         split("patentl_no_ patentl_nam_ patent_no_ patent_nam_ item_176_ item_170_ item_171_ item_172_ item_173_ "
               "item_174_ item_187_ item_180_ item_181_ item_182_ item_183_ item_184_ item_188_ item_185_ item_186_ "
               "item_191_ item_192_ item_193_ item_195_ item_196_ item_197_ item_198_")},
        {WordForm::BasicRegistration,
         split("item_176_ item_170_ item_171_ item_172_ item_173_ item_174_ item_187_ item_180_ item_181_ item_182_ "
               "item_183_ item_184_ item_188_ item_185_ item_186_ item_191_ item_192_ item_193_ item_195_ item_196_ "
               "item_197_ item_198_")},
        {WordForm::AppraisalApplication,
         split("item_180_ item_181_ item_182_ item_183_ item_184_ item_185_ item_186_")},
        {WordForm::AppraisalCertificate,
         split("item_170_ item_171_ item_172_ item_187_ item_180_ item_181_ item_182_ item_183_ item_184_ item_185_ "
               "item_186_ item_191_ item_192_ item_195_ item_196_ item_197_ item_198_")},
    };
    for (const auto &[form, prefixes] : forms) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        if (form == WordForm::BasicRegistration)
            rec.record.set(QStringLiteral("ITEM_CGLB"), QStringLiteral("2"));
        QStringList rows;
        for (const auto &p : written(form, rec))
            if (isListRow(p.first))
                rows << p.first;
        QStringList expected;
        for (const QString &prefix : prefixes)
            expected << prefix + QStringLiteral("1");
        EXPECT_EQ(rows, expected);
    }
}

TEST(WordBookmarks, ListRowsAreFilledOnceEachInTheirOrderAndTheRestStayUnwritten)
{
    WordRecord rec = richRecord();
    rec.organisations.clear();
    for (int i = 1; i <= 6; ++i)
        rec.organisations << organisation(i);
    rec.persons = {person(1), person(2), person(3)};
    for (WordForm form : {WordForm::AppliedRegistration, WordForm::AppraisalCertificate}) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        QMap<QString, int> times;
        QMap<QString, QString> text;
        for (const auto &p : written(form, rec)) {
            ++times[p.first];
            text[p.first] = p.second;
        }
        for (int i = 1; i <= 6; ++i) {
            const QString row = QStringLiteral("item_170_%1").arg(i);
            EXPECT_EQ(times.value(row), 1) << qPrintable(row);
            EXPECT_EQ(text.value(row), QStringLiteral("合作单位%1").arg(i));
        }
        for (const char *unwritten : {"item_170_7", "item_170_8", "item_172_7", "item_180_4"})
            EXPECT_FALSE(times.contains(unwritten)) << unwritten;
        EXPECT_EQ(text.value("item_180_3"), QStringLiteral("完成人3"));
    }
}

TEST(WordBookmarks, RegistrationFormFollowsTheCategory)
{
    EXPECT_EQ(word::registrationForm(richRecord("1")), WordForm::AppliedRegistration);
    for (const char *c : {"2", "3", ""})
        EXPECT_EQ(word::registrationForm(richRecord(c)), WordForm::BasicRegistration);
}
