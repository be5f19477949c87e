#pragma once

// Records to print: a rich one with every printed field filled, and an empty
// one.  Read as the print command would read them, without a data folder.

#include "output/fill/printrecord.h"

#include <QString>

namespace testsupport {

inline output::PrintRecord richPrintRecord(bool applied, int persons = 5, int committee = 7, int organisations = 3,
                                           int patents = 4)
{
    output::PrintRecord p;
    report::Record &r = p.record;
    auto s = [&r](const char *f, const QString &v) { r.set(QLatin1String(f), v); };
    s("ITEM_4", QStringLiteral("2024000017"));
    s("ITEM_DQDM", QStringLiteral("110"));
    s("ITEM_CGLB", applied ? QStringLiteral("1") : QStringLiteral("3"));
    s("ITEM_3", QStringLiteral("高寒地区复合材料桥面铺装关键技术研究与应用"));
    s("ITEM_9", QStringLiteral("青岚应用技术研究院"));
    s("ITEM_8", QStringLiteral("2019.03   至2023.11"));
    s("ITEM_121", QStringLiteral("2024-05-18"));
    s("ITEM_120", QStringLiteral("1102024Y0017"));
    s("ITEM_128", QStringLiteral("北京市科学技术委员会"));
    s("ITEM_14", QStringLiteral("复合材料;桥面铺装;耐久性"));
    s("ITEM_15", QStringLiteral("58035"));
    s("ITEM_15_1", QStringLiteral("43040"));
    s("ITEM_12", QStringLiteral("U443"));
    s("ITEM_12_1", QStringLiteral("TB33"));
    s("ITEM_2", QStringLiteral("2"));
    s("ITEM_16", QStringLiteral("3"));
    s("ITEM_33", QStringLiteral("1"));
    s("ITEM_123", QStringLiteral("3;7;"));
    s("ITEM_124_1", QStringLiteral("06"));
    s("ITEM_125", QStringLiteral("05"));
    s("ITEM_125_1", QStringLiteral("1"));
    s("ITEM_126", QStringLiteral("03"));
    s("ITEM_140", QStringLiteral(""));
    s("ITEM_201", QStringLiteral("1"));
    s("ITEM_200", QStringLiteral("04"));
    s("ITEM_210", QStringLiteral("1"));
    s("ITEM_127", QStringLiteral("Z191100008119012"));
    s("ITEM_127_1", QStringLiteral("北京市科技计划重点项目"));
    for (const char *f : {"ITEM_149", "ITEM_141", "ITEM_148", "ITEM_142", "ITEM_142_1", "ITEM_142_2", "ITEM_142_3",
                          "ITEM_143", "ITEM_144", "ITEM_243", "ITEM_244", "ITEM_145"})
        s(f, QStringLiteral("12.5"));
    s("ITEM_21", applied ? QStringLiteral("1") : QStringLiteral("4"));
    s("ITEM_130", QStringLiteral("北京市交通委员会"));
    s("ITEM_34", QStringLiteral("2023.12.20"));
    s("ITEM_22", QStringLiteral("京交鉴字[2023]第041号"));
    s("ITEM_51", QStringLiteral("1;3;"));
    s("ITEM_51_1", QStringLiteral("3"));
    s("patent_ty", QStringLiteral("1;2;"));
    s("ITEM_51_2", QStringLiteral("2"));
    s("ITEM_51_3", QStringLiteral("2"));
    s("ITEM_53", QStringLiteral("2022SR0456789"));
    s("ITEM_52", QStringLiteral("桥面铺装温度场分析软件V1.0"));
    s("ITEM_32", QStringLiteral("1"));
    s("ITEM_45", QStringLiteral("3"));
    s("ITEM_150", QStringLiteral("120"));
    s("ITEM_162", QStringLiteral("80"));
    s("ITEM_151_1", QStringLiteral("300"));
    s("ITEM_152_1", QStringLiteral("45"));
    s("ITEM_153", QStringLiteral("0"));
    s("ITEM_154", QStringLiteral("60"));
    s("ITEM_46", QStringLiteral("02"));
    s("ITEM_47", QStringLiteral("01"));
    s("ITEM_161", QStringLiteral("2;3;"));
    s("ITEM_32_1", QStringLiteral(""));
    s("ITEM_160", QStringLiteral(""));
    s("ITEM_420", QStringLiteral("40000123-4"));
    s("ITEM_37", QStringLiteral("北京市海淀区学院路甲38号"));
    s("ITEM_38", QStringLiteral("100083"));
    s("ITEM_39", QStringLiteral("010-62345678"));
    s("ITEM_40", QStringLiteral("010-62345679"));
    s("ITEM_60", QStringLiteral("www.qinglan.example.cn"));
    s("ITEM_62", QStringLiteral("1"));
    s("ITEM_41_3", QStringLiteral(""));
    s("ITEM_163", QStringLiteral("0"));
    s("ITEM_64", QStringLiteral("11"));
    s("ITEM_63", QStringLiteral("103"));
    s("ITEM_41", QStringLiteral("林晓峰"));
    s("ITEM_41_2", QStringLiteral("13901234567"));
    s("ITEM_61", QStringLiteral("lin@qinglan.example.cn"));
    s("TLinkMan", QStringLiteral("周建华"));
    s("TLinkManTe", QStringLiteral("010-62345600"));
    s("TLinkManEm", QStringLiteral("zhou@qinglan.example.cn"));
    s("ITEM_13_1", QStringLiteral("本成果针对高寒地区桥面铺装早期开裂、脱层等病害，研究了复合材料铺装层的"
                                  "材料组成、结构设计与施工工艺。\n成果已在三座大桥应用，效果良好。"));
    p.subject1 = QStringLiteral("道路工程");
    p.subject2 = QStringLiteral("复合材料");
    p.library1 = QStringLiteral("U443");
    p.library2 = QStringLiteral("TB33");
    p.province = QStringLiteral("北京市");
    p.department = QStringLiteral("科学技术部");
    p.investment = QStringLiteral("100～500万元");
    p.profit = QStringLiteral("50万元以下");

    static const QString names[] = {QStringLiteral("王建国"), QStringLiteral("李秀英"), QStringLiteral("张伟"),
                                    QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("杨帆")};
    for (int i = 0; i < persons; ++i) {
        report::Record x;
        x.set(QStringLiteral("ITEM_187"), QString::number(i + 1));
        x.set(QStringLiteral("ITEM_180"), names[i % 6]);
        x.set(QStringLiteral("ITEM_181"), QString::number(i % 2));
        x.set(QStringLiteral("ITEM_182"), QStringLiteral("1975.06"));
        x.set(QStringLiteral("ITEM_183"), QStringLiteral("2"));
        x.set(QStringLiteral("ITEM_184"), QStringLiteral("3"));
        x.set(QStringLiteral("ITEM_188"), QStringLiteral("0"));
        x.set(QStringLiteral("ITEM_185"), QStringLiteral("青岚应用技术研究院道路与桥梁工程研究所"));
        x.set(QStringLiteral("ITEM_186"), QStringLiteral("负责铺装材料配比设计与室内试验，完成耐久性评价"));
        p.persons.push_back(x);
    }
    static const QString roles[] = {QStringLiteral("主任委员"), QStringLiteral("副主任委员"), QStringLiteral("委员")};
    for (int i = 0; i < committee; ++i) {
        report::Record x;
        x.set(QStringLiteral("ITEM_4"), r.value(QStringLiteral("ITEM_4")));
        x.set(QStringLiteral("ITEM_DQDM"), r.value(QStringLiteral("ITEM_DQDM")));
        x.set(QStringLiteral("ITEM_190"), QString::number(i + 1));
        x.set(QStringLiteral("ITEM_191"), roles[std::min(i, 2)]);
        x.set(QStringLiteral("ITEM_192"), names[(i + 3) % 6]);
        x.set(QStringLiteral("ITEM_193"), QString::number(i % 2));
        x.set(QStringLiteral("ITEM_194"), QString::number(std::min(i, 2) + 1));
        x.set(QStringLiteral("ITEM_195"), QStringLiteral("长安大学"));
        x.set(QStringLiteral("ITEM_196"), QStringLiteral("道路工程"));
        x.set(QStringLiteral("ITEM_197"), QStringLiteral("路面结构"));
        x.set(QStringLiteral("ITEM_198"), i == 0 ? QStringLiteral("b") : QStringLiteral("2"));
        p.committee.push_back(x);
    }
    for (int i = 0; i < organisations; ++i) {
        report::Record x;
        x.set(QStringLiteral("ITEM_176"), QString::number(i + 1));
        x.set(QStringLiteral("ITEM_170"), QStringLiteral("北方交通建设集团有限公司第%1工程分公司").arg(i + 1));
        x.set(QStringLiteral("ITEM_171"), QStringLiteral("河北省石家庄市长安区中山东路%1号").arg(100 + i));
        x.set(QStringLiteral("ITEM_172"), QStringLiteral("050011"));
        x.set(QStringLiteral("ITEM_173"), QStringLiteral("赵磊"));
        x.set(QStringLiteral("ITEM_174"), QStringLiteral("0311-8765432%1").arg(i));
        p.organisations.push_back(x);
    }
    for (int i = 0; i < patents; ++i) {
        report::Record x;
        x.set(QStringLiteral("PATENT_NO"), QStringLiteral("ZL20211034567%1.X").arg(i));
        x.set(QStringLiteral("PATENT_NAM"), QStringLiteral("一种桥面复合铺装结构%1").arg(i + 1));
        x.set(QStringLiteral("PATENT_ST"), i % 2 ? QStringLiteral("1") : QStringLiteral("2"));
        x.set(QStringLiteral("PATENT_TY"), QStringLiteral("1"));
        p.patents.push_back(x);
    }
    return p;
}

// A text of `bytes` GBK bytes: running Chinese prose with its punctuation,
// starting with a mark of its own so that each value can be told apart.
inline QString proseOfBytes(int bytes, int seed = 0)
{
    static const QString prose = QStringLiteral(
        "本成果针对高寒地区桥面铺装早期开裂、脱层等病害，研究了复合材料铺装层的材料组成、结构设计与施工工艺；"
        "提出了“温度—荷载”耦合作用下的设计方法（含三项关键参数），并在多座大桥推广应用。");
    QString out;
    for (int i = 0; 2 * (out.size() + 1) <= bytes; ++i)
        out += prose.at((i + seed * 7) % prose.size());
    return out;
}

// Letters and digits of `bytes` bytes with no blank to break at, as a web
// or mail address or a long Latin word is.
inline QString latinOfBytes(int bytes, const QString &start = QStringLiteral("Www"))
{
    QString out = start;
    static const QString tail = QStringLiteral("Qinglan0Institute1Of2Applied3Technology4Research5");
    for (int i = 0; out.size() < bytes; ++i)
        out += tail.at(i % tail.size());
    return out.left(bytes);
}

// The record filled to every field's width: 140-byte names and patent names,
// a 3,000-character abstract, addresses and mail addresses as long as their
// fields, over-long Latin words, 40 persons and 25 committee members with
// 15-character majors, ten organisations and twelve patents.
inline output::PrintRecord fullWidthPrintRecord(bool applied)
{
    output::PrintRecord p = richPrintRecord(applied, 40, 25, 10, 12);
    report::Record &r = p.record;
    int seed = 0;
    auto prose = [&](const char *f, int bytes) { r.set(QLatin1String(f), proseOfBytes(bytes, ++seed)); };
    auto latin = [&](const char *f, int bytes, const QString &start) { r.set(QLatin1String(f), latinOfBytes(bytes, start)); };
    for (auto [f, bytes] : {std::pair{"ITEM_3", 140}, {"ITEM_9", 140}, {"ITEM_128", 80}, {"ITEM_127_1", 140},
                            {"ITEM_130", 80}, {"ITEM_37", 100}, {"ITEM_41", 20}, {"TLinkMan", 20}})
        prose(f, bytes);
    r.set(QStringLiteral("ITEM_52"), QStringLiteral("PavementThermalFieldAnalysisSuite") + proseOfBytes(46, ++seed));
    r.set(QStringLiteral("ITEM_22"), QStringLiteral("京交鉴字[2023]第0041号鉴定证书编号"));
    r.set(QStringLiteral("ITEM_14"), proseOfBytes(64, 1) + QLatin1Char(';') + proseOfBytes(64, 2) + QLatin1Char(';')
                                         + proseOfBytes(66, 3));
    latin("ITEM_60", 100, QStringLiteral("http://www."));
    latin("ITEM_61", 80, QStringLiteral("mail@"));
    latin("TLinkManEm", 80, QStringLiteral("transfer@"));
    latin("ITEM_127", 30, QStringLiteral("Z"));
    latin("ITEM_120", 20, QStringLiteral("110"));
    latin("ITEM_420", 20, QStringLiteral("4000"));
    for (const char *f : {"ITEM_39", "ITEM_40", "ITEM_41_2", "TLinkManTe"})
        r.set(QLatin1String(f), QStringLiteral("010-62345678-8001,13901234567").left(30));
    r.set(QStringLiteral("ITEM_53"), QStringLiteral("2022SR045678"));
    r.set(QStringLiteral("ITEM_34"), QStringLiteral("2023年12月20日"));
    r.set(QStringLiteral("ITEM_8"), QStringLiteral("2019.03-2023.11"));
    for (const char *f : {"ITEM_149", "ITEM_141", "ITEM_148", "ITEM_142", "ITEM_142_1", "ITEM_142_2", "ITEM_142_3",
                          "ITEM_143", "ITEM_144", "ITEM_243", "ITEM_244", "ITEM_145", "ITEM_150", "ITEM_162",
                          "ITEM_151_1", "ITEM_152_1", "ITEM_153", "ITEM_154"})
        r.set(QLatin1String(f), QStringLiteral("1234567")); // figures are entered with seven characters at most
    r.set(QStringLiteral("ITEM_45"), QStringLiteral("1234567"));
    QString abstract;
    for (int i = 0; abstract.size() < 3000; ++i)
        abstract += proseOfBytes(200, i) + (i % 5 == 4 ? QStringLiteral("\n") : QString());
    r.set(QStringLiteral("ITEM_13_1"), abstract.left(3000));
    p.subject1 = proseOfBytes(60, ++seed);
    p.subject2 = proseOfBytes(60, ++seed);
    p.province = QStringLiteral("新疆维吾尔自治区");
    p.department = proseOfBytes(60, ++seed);
    p.investment = QStringLiteral("1000万元～5000万元（含5000万元）");
    p.profit = QStringLiteral("500万元～1000万元（含1000万元）");
    p.library1 = r.value(QStringLiteral("ITEM_12"));
    p.library2 = r.value(QStringLiteral("ITEM_12_1"));
    for (report::Record &x : p.persons) {
        x.set(QStringLiteral("ITEM_180"), proseOfBytes(20, ++seed));
        x.set(QStringLiteral("ITEM_182"), QStringLiteral("1975年06月"));
        x.set(QStringLiteral("ITEM_185"), proseOfBytes(80, ++seed));
        x.set(QStringLiteral("ITEM_186"), proseOfBytes(160, ++seed));
    }
    // Bytes that were not GBK, read as "�", print as they read.
    p.persons[1].set(QStringLiteral("ITEM_185"), proseOfBytes(36, 5) + QChar(0xFFFD) + QChar(0xFFFD) + proseOfBytes(40, 6));
    for (report::Record &x : p.committee) {
        x.set(QStringLiteral("ITEM_191"), proseOfBytes(20, ++seed));
        x.set(QStringLiteral("ITEM_192"), proseOfBytes(20, ++seed));
        x.set(QStringLiteral("ITEM_195"), proseOfBytes(80, ++seed));
        x.set(QStringLiteral("ITEM_196"), proseOfBytes(30, ++seed));
        x.set(QStringLiteral("ITEM_197"), proseOfBytes(30, ++seed));
    }
    for (report::Record &x : p.organisations) {
        x.set(QStringLiteral("ITEM_170"), proseOfBytes(80, ++seed));
        x.set(QStringLiteral("ITEM_171"), proseOfBytes(80, ++seed));
        x.set(QStringLiteral("ITEM_172"), latinOfBytes(20, QStringLiteral("100")));
        x.set(QStringLiteral("ITEM_173"), proseOfBytes(20, ++seed));
        x.set(QStringLiteral("ITEM_174"), QStringLiteral("0311-87654321-80001"));
    }
    for (report::Record &x : p.patents) {
        x.set(QStringLiteral("PATENT_NO"), QStringLiteral("ZL202110345678.X"));
        x.set(QStringLiteral("PATENT_NAM"), proseOfBytes(140, ++seed));
    }
    return p;
}

inline output::PrintRecord emptyPrintRecord(bool applied)
{
    output::PrintRecord p;
    p.record.set(QStringLiteral("ITEM_4"), QStringLiteral("2024000018"));
    p.record.set(QStringLiteral("ITEM_DQDM"), QStringLiteral("110"));
    p.record.set(QStringLiteral("ITEM_CGLB"), applied ? QStringLiteral("1") : QString());
    return p;
}

} // namespace testsupport
