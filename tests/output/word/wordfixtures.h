#pragma once

// Records and code tables shared by the Word output tests: a record with
// every field the outputs read, and the code tables its codes are found in.

#include "output/word/wordbookmarks.h"
#include "output/word/wordrecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

namespace wordtest {

using word::CodeTables;
using word::WordRecord;
using word::WordRow;

// The generic name the test dictionary gives a code of a key.
inline QString dn(const QString &key, const QString &code) { return key + QStringLiteral("名") + code; }

// An environment variable set for the life of the object.
class EnvSet {
public:
    EnvSet(const char *name, const QString &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvSet()
    {
        if (m_had)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }
    EnvSet(const EnvSet &) = delete;
    EnvSet &operator=(const EnvSet &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_saved;
};

// PATH set to a folder of the test's own for the life of the object, so the
// programs an export starts are the test's, whatever the machine has.
class PathTo : public EnvSet {
public:
    explicit PathTo(const QString &folder) : EnvSet("PATH", folder) {}
};

inline void writeFile(const QString &path, const QByteArray &bytes, bool executable = false)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(bytes);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// A message of the program: Chinese but for the file names and paths it
// names and the words "Word" and ".dotx".
inline bool whollyChinese(QString message, const QStringList &names)
{
    for (const QString &n : names) {
        message.remove(QDir::toNativeSeparators(n));
        message.remove(QFileInfo(n).fileName());
    }
    message.remove(QStringLiteral("Word")).remove(QStringLiteral(".dotx"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return !message.contains(latin);
}

// A small file (a shell script when executable).
inline void touch(const QString &path, bool executable = false)
{
    writeFile(path, "#!/bin/sh\n", executable);
}

inline CodeTables richTables()
{
    CodeTables t;
    const QStringList keys{"item_123", "item_16", "item_2", "item_33", "item_201", "item_124_1", "item_51",
                           "item_125", "item_125_1", "item_21", "item_51_1", "item_32", "item_46", "item_47",
                           "item_161", "item_41_3", "item_210", "item_200"};
    for (const QString &k : keys)
        for (const char *c : {"1", "2", "3", "4", "01", "02", "03", "05", "06", "09", "11"})
            t.addDict(k, c, dn(k, c));
    t.addDict("item_21_l", "2", QStringLiteral("验收"));
    t.addDict("item_21_l", "4", QStringLiteral("评审"));
    t.addDict("item_126", "01", QStringLiteral("国家科技计划"));
    t.addDict("item_126", "02", QStringLiteral("部门计划"));
    t.addDict("item_126", "03", QStringLiteral("地方计划"));
    t.addDict("item_140", "7", QStringLiteral("国家科技支撑计划"));
    t.addDict("item_62", "3", QStringLiteral("企业"));
    t.addDict("item_62", "1", QStringLiteral("独立科研机构"));
    t.addDict("item_41_3", "12", QStringLiteral("股份有限公司"));
    t.addDict("item_32_1", "1", QStringLiteral("资金问题"));
    t.addDict("item_32_1", "3", QStringLiteral("市场问题"));
    t.addDict("item_160", "13", QStringLiteral("无资金渠道"));
    t.addDict("patent_ty", "1", QStringLiteral("发明专利"));
    t.addDict("patent_ty", "3", QStringLiteral("外观设计专利"));
    t.addProvince("37", QStringLiteral("山东省"));
    t.addMinistry("101", QStringLiteral("科学技术部"));
    t.addSubject("6202010", QStringLiteral("混凝土材料"));
    t.addSubject("5801510", QStringLiteral("建筑材料学"));
    t.addLibraryClass("TU528", QStringLiteral("混凝土及混凝土制品"));
    t.addLibraryClass("TU5", QString());
    return t;
}

inline WordRow person(int n, const QString &sex = QStringLiteral("0"))
{
    return WordRow{{"ITEM_187", QString::number(n)},
                   {"ITEM_180", QStringLiteral("完成人%1").arg(n)},
                   {"ITEM_181", sex},
                   {"ITEM_182", "1968.04"},
                   {"ITEM_183", "c"},
                   {"ITEM_184", "2"},
                   {"ITEM_188", "1"},
                   {"ITEM_185", QStringLiteral("青岚应用技术研究院")},
                   {"ITEM_186", QStringLiteral("总体方案设计%1").arg(n)}};
}

inline WordRow member(int n, const QString &sex = QStringLiteral("1"))
{
    return WordRow{{"ITEM_191", n == 1 ? QStringLiteral("主任") : QStringLiteral("委员")},
                   {"ITEM_192", QStringLiteral("评委%1").arg(n)},
                   {"ITEM_193", sex},
                   {"ITEM_194", n == 1 ? "1" : "3"},
                   {"ITEM_195", QStringLiteral("北川大学%1").arg(n)},
                   {"ITEM_196", QStringLiteral("土木工程")},
                   {"ITEM_197", QStringLiteral("建筑材料")},
                   {"ITEM_198", "2"}};
}

inline WordRow organisation(int n)
{
    return WordRow{{"ITEM_176", QString::number(n)},
                   {"ITEM_170", QStringLiteral("合作单位%1").arg(n)},
                   {"ITEM_171", QStringLiteral("青岚市东路%1号").arg(n)},
                   {"ITEM_172", "266000"},
                   {"ITEM_173", QStringLiteral("联系人%1").arg(n)},
                   {"ITEM_174", QStringLiteral("0532-8880%1").arg(n)}};
}

inline WordRow patent(int n, const QString &status)
{
    return WordRow{{"ITEM_NO", QString::number(n)},
                   {"PATENT_NO", QStringLiteral("ZL2005%1%2").arg(status).arg(n)},
                   {"PATENT_NAM", QStringLiteral("专利%1-%2").arg(status).arg(n)},
                   {"PATENT_ST", status},
                   {"PATENT_TY", "1"}};
}

// An applied-technology record with every field the outputs read, two rows
// in each list and two patents of each status.
inline WordRecord richRecord(const QString &category = QStringLiteral("1"))
{
    WordRecord r;
    const QList<QPair<QString, QString>> fields{
        {"ITEM_CGLB", category},
        {"ITEM_4", "2007000001"},
        {"ITEM_DQDM", "."},
        {"ITEM_1", "3"},
        {"ITEM_3", QStringLiteral("高寒地区混凝土抗冻融外加剂的研制与应用")},
        {"ITEM_9", QStringLiteral("青岚应用技术研究院")},
        {"ITEM_8", QStringLiteral("2004.01   至2006.12")},
        {"ITEM_121", "2007-03-15"},
        {"ITEM_128", QStringLiteral("青岚省科学技术厅")},
        {"ITEM_120", "2007Y0012"},
        {"ITEM_14", QStringLiteral("混凝土;抗冻融;外加剂")},
        {"ITEM_123", "1"}, {"ITEM_16", "2"}, {"ITEM_2", "3"}, {"ITEM_33", "4"}, {"ITEM_201", "1"},
        {"ITEM_210", "2"}, {"ITEM_200", "01;03;"},
        {"ITEM_15", "6202010"}, {"ITEM_15_1", "5801510"},
        {"ITEM_12", "TU528"}, {"ITEM_12_1", "TU5"},
        {"ITEM_124_1", "01;05;"}, {"ITEM_51", "1;3;"},
        {"patent_ty", "1;3;"},
        {"ITEM_125", "02;06;"},
        {"ITEM_126", "01;03;"}, {"ITEM_140", "7"},
        {"ITEM_125_1", "1"},
        {"ITEM_127", "2004BA01"}, {"ITEM_127_1", QStringLiteral("抗冻融外加剂课题")},
        {"ITEM_149", "380"}, {"ITEM_141", "120"}, {"ITEM_148", "40"}, {"ITEM_142", "60"},
        {"ITEM_142_1", "30"}, {"ITEM_142_2", "20"}, {"ITEM_142_3", "10"}, {"ITEM_143", "50"},
        {"ITEM_144", "80"}, {"ITEM_243", "20"}, {"ITEM_244", "5"}, {"ITEM_145", "5"},
        {"ITEM_21", "2"},
        {"ITEM_130", QStringLiteral("青岚省科学技术厅")}, {"ITEM_34", "2006.05.17"}, {"ITEM_22", QStringLiteral("青科评字[2006]17号")},
        {"ITEM_51_1", "3"}, {"ITEM_51_2", "2"}, {"ITEM_51_3", "2"},
        {"ITEM_53", "2006SR0101"}, {"ITEM_52", QStringLiteral("外加剂配比软件")},
        {"ITEM_32", "1"}, {"ITEM_45", "3"}, {"ITEM_150", "45.5"}, {"ITEM_162", "12"},
        {"ITEM_151_1", "300"}, {"ITEM_152_1", "60"}, {"ITEM_153", "15"}, {"ITEM_154", "200"},
        {"ITEM_46", "2"}, {"ITEM_47", "3"}, {"ITEM_161", "1;2;"},
        {"ITEM_32_1", "1;3;"}, {"ITEM_160", "13"},
        {"ITEM_420", "12345678-9"}, {"ITEM_37", QStringLiteral("青岚市科技路8号")}, {"ITEM_38", "266071"},
        {"ITEM_39", "0532-88886666"}, {"ITEM_40", "0532-88886667"}, {"ITEM_60", "www.qinglan.example"},
        {"TLinkMan", QStringLiteral("韩立")}, {"TLinkManTe", "0532-88886668"}, {"TLinkManEm", "hanli@qinglan.example"},
        {"ITEM_62", "3"}, {"ITEM_41_3", "12"}, {"ITEM_163", "1"}, {"ITEM_64", "37"}, {"ITEM_63", "101"},
        {"ITEM_41", QStringLiteral("周敏")}, {"ITEM_41_2", "0532-88886669"}, {"ITEM_61", "zhoumin@qinglan.example"},
        {"ITEM_13_1", QStringLiteral("本成果研制了一种外加剂。\r\n经工程应用，效果良好。")},
        {"ITEM_13_2", QStringLiteral("可在北方地区推广。")},
        {"ITEM_13_3", QStringLiteral("研制报告；测试报告")},
        {"ITEM_133", QStringLiteral("各项指标合格。")},
        {"ITEM_303", QStringLiteral("达到国内领先水平。")},
        {"ITEM_302", "2006.06.01"},
    };
    for (const auto &f : fields)
        r.record.set(f.first, f.second);
    r.organisations = {organisation(1), organisation(2)};
    r.persons = {person(1), person(2, QStringLiteral("1"))};
    r.committee = {member(1), member(2, QStringLiteral("0"))};
    r.patents = {patent(1, "1"), patent(2, "2"), patent(3, "1"), patent(4, "2")};
    return r;
}

// The record with its lists replaced: `persons` completing persons,
// `committee` members, `organisations` and `patents` of each status.
inline WordRecord withLists(WordRecord r, int persons, int committee, int organisations, int patents)
{
    r.persons.clear();
    r.committee.clear();
    r.organisations.clear();
    r.patents.clear();
    for (int i = 1; i <= persons; ++i)
        r.persons << person(i);
    for (int i = 1; i <= committee; ++i)
        r.committee << member(i);
    for (int i = 1; i <= organisations; ++i)
        r.organisations << organisation(i);
    for (int i = 1; i <= patents; ++i)
        r.patents << patent(i, "1") << patent(10 + i, "2");
    return r;
}

// Every (bookmark, text) a form writes for a record, in order.
inline QList<QPair<QString, QString>> written(word::WordForm form, const WordRecord &rec,
                                              const CodeTables &tables = richTables())
{
    QList<QPair<QString, QString>> out;
    word::writeBookmarks(form, rec, tables, [&out](const QString &b, const QString &t) { out.append({b, t}); });
    return out;
}

inline QMap<QString, QString> writtenMap(word::WordForm form, const WordRecord &rec,
                                         const CodeTables &tables = richTables())
{
    QMap<QString, QString> m;
    for (const auto &p : written(form, rec, tables))
        m.insert(p.first, p.second);
    return m;
}

} // namespace wordtest
