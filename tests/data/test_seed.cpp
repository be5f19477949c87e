// The code tables the program ships with: the dictionary, the query builder's
// items and the required fields, as the seed files under resources/seed.

#include "data/schema.h"
#include "db/gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Seed {
    QStringList header;
    QVector<QStringList> rows;
    QVector<int> lines;   // file line of each row, for messages

    int col(const char *name) const
    {
        for (int i = 0; i < header.size(); ++i)
            if (header[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
};

QString seedPath(const QString &file)
{
    return QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed/") + file;
}

// UTF-8, TAB-separated; '#' lines are comments; the first other line names the fields.
Seed readSeed(const QString &file)
{
    Seed s;
    QFile f(seedPath(file));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << f.fileName().toStdString();
        return s;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.startsWith(QLatin1Char('#')) || (line.isEmpty() && i == lines.size() - 1))
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (s.header.isEmpty()) {
            s.header = cells;
            continue;
        }
        s.rows << cells;
        s.lines << i + 1;
    }
    return s;
}

struct Dict {
    QHash<QString, QVector<QPair<QString, QString>>> byKey;   // key -> (code, text) in file order

    QString text(const QString &key, const QString &code) const
    {
        for (const auto &row : byKey.value(key))
            if (row.first == code)
                return row.second;
        return QString();
    }
};

Dict readDict()
{
    const Seed s = readSeed(QStringLiteral("zdxx.tsv"));
    Dict d;
    const int k = s.col("zddm"), c = s.col("xxdm"), t = s.col("xxmc");
    if (k < 0 || c < 0 || t < 0)
        return d;
    for (const QStringList &r : s.rows)
        if (r.size() == s.header.size())
            d.byKey[r[k]].append({r[c], r[t]});
    return d;
}

const db::FieldDef *kjcgField(const QString &name, Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    for (const db::FieldDef &f : data::kjcgFields())
        if (f.name.compare(name, cs) == 0)
            return &f;
    return nullptr;
}

bool isOldCode(const QString &text) { return text.startsWith(QLatin1String("**")); }

} // namespace

// Every file names the fields of its table and every value fits its field in GBK bytes.
TEST(SeedFiles, ValuesFitTheirTableFields)
{
    for (const char *table : {"zdxx", "zdxx1", "checkup"}) {
        SCOPED_TRACE(table);
        const data::TableSchema &schema = data::schemaFor(QString::fromLatin1(table));
        const Seed s = readSeed(QString::fromLatin1(table) + QStringLiteral(".tsv"));
        ASSERT_EQ(s.header.size(), schema.fields.size());
        QVector<int> fieldOf;
        for (const QString &h : s.header) {
            fieldOf << schema.indexOf(h);
            ASSERT_GE(fieldOf.last(), 0) << h.toStdString();
        }
        ASSERT_FALSE(s.rows.isEmpty());
        for (int r = 0; r < s.rows.size(); ++r) {
            const QStringList &row = s.rows[r];
            ASSERT_EQ(row.size(), s.header.size()) << "line " << s.lines[r];
            for (int i = 0; i < row.size(); ++i) {
                const db::FieldDef &f = schema.fields[fieldOf[i]];
                EXPECT_FALSE(row[i].isEmpty()) << "line " << s.lines[r] << " " << f.name.toStdString();
                EXPECT_EQ(row[i], row[i].trimmed()) << "line " << s.lines[r];
                EXPECT_TRUE(db::gbk::canEncode(row[i])) << "line " << s.lines[r];
                EXPECT_LE(db::gbk::byteLength(row[i]), f.width)
                    << "line " << s.lines[r] << " " << f.name.toStdString() << " " << row[i].toStdString();
            }
        }
    }
}

// A key is a field name in lower case (the lookups and the query builder
// compare it byte for byte) or a panel caption; a code appears once per key.
TEST(Dictionary, KeysAreLowerCaseAndCodesUnique)
{
    const Dict d = readDict();
    ASSERT_FALSE(d.byKey.isEmpty());
    for (auto it = d.byKey.cbegin(); it != d.byKey.cend(); ++it) {
        const QString &key = it.key();
        EXPECT_EQ(key, key.toLower()) << key.toStdString();
        QSet<QString> seen;
        int current = 0;
        for (const auto &[code, text] : it.value()) {
            EXPECT_FALSE(seen.contains(code)) << key.toStdString() << " " << code.toStdString();
            seen.insert(code);
            current += isOldCode(text) ? 0 : 1;
        }
        EXPECT_GE(current, 2) << key.toStdString() << " offers nothing to choose";
    }
}

// The entry pages store a code into its record field; it must fit there.
TEST(Dictionary, CodesFitTheRecordFieldTheyAreStoredIn)
{
    const Dict d = readDict();
    for (auto it = d.byKey.cbegin(); it != d.byKey.cend(); ++it) {
        const db::FieldDef *f = kjcgField(it.key());
        if (!f)
            continue;
        for (const auto &row : it.value())
            if (!isOldCode(row.second)) {
                EXPECT_LE(db::gbk::byteLength(row.first), f->width) << it.key().toStdString() << " " << row.first.toStdString();
            }
    }
    // Person and committee codes go into one-character fields; the person
    // dialog stores the academician titles 1a, 1b, 1c as a, b, c.
    for (const char *key : {"item_181", "item_184", "item_188", "item_193", "item_198", "patent_st", "patent_ty"})
        for (const auto &row : d.byKey.value(QString::fromLatin1(key)))
            EXPECT_EQ(row.first.size(), 1) << key << " " << row.first.toStdString();
    for (const auto &row : d.byKey.value(QStringLiteral("item_183")))
        EXPECT_TRUE(row.first.size() == 1 || (row.first.size() == 2 && row.first.startsWith(QLatin1Char('1'))))
            << row.first.toStdString();
}

// The texts the pages act on.
TEST(Dictionary, TextsThePagesReadAreThere)
{
    const Dict d = readDict();
    // Only the enterprise attribute (code 3) may contain 企业.
    for (const auto &[code, text] : d.byKey.value(QStringLiteral("item_62")))
        EXPECT_EQ(text.contains(QStringLiteral("企业")), code == QLatin1String("3")) << code.toStdString();
    // The application page switches on parts of the state's text.
    const auto state = [&](const char *c) { return d.text(QStringLiteral("item_32"), QString::fromLatin1(c)); };
    EXPECT_TRUE(state("1").contains(QStringLiteral("稳定")));
    EXPECT_TRUE(state("2").contains(QStringLiteral("停用")));
    EXPECT_TRUE(state("3").contains(QStringLiteral("未应用")));
    EXPECT_TRUE(state("4").contains(QStringLiteral("小范围")));
    EXPECT_TRUE(state("5").contains(QStringLiteral("试用")));
    for (const char *c : {"1", "4", "5"})
        EXPECT_FALSE(state(c).contains(QStringLiteral("停用")) || state(c).contains(QStringLiteral("未应用"))) << c;
    // The template output puts the kind of national plan behind this text.
    EXPECT_EQ(d.text(QStringLiteral("item_126"), QStringLiteral("01")), QStringLiteral("国家科技计划"));
    // A new person is preselected as not returned from abroad: the second row.
    const auto abroad = d.byKey.value(QStringLiteral("item_188"));
    ASSERT_EQ(abroad.size(), 2);
    EXPECT_EQ(abroad[1].first, QStringLiteral("0"));
    // Each evaluation list offers only the forms of its categories (a category change drops the others).
    const QSet<QString> applied{"1", "2", "3", "5", "8"}, others{"2", "4", "6", "8"};
    for (const auto &[code, text] : d.byKey.value(QStringLiteral("item_21")))
        EXPECT_TRUE(isOldCode(text) || applied.contains(code)) << code.toStdString();
    for (const auto &[code, text] : d.byKey.value(QStringLiteral("item_21_l")))
        EXPECT_TRUE(isOldCode(text) || others.contains(code)) << code.toStdString();
    // Some keys keep codes of the earlier edition for the query builder.
    int old = 0;
    for (const auto &rows : d.byKey)
        for (const auto &row : rows)
            old += isOldCode(row.second) ? 1 : 0;
    EXPECT_GT(old, 0);
}

// The printed forms tick the box of a code and the code-to-text tables of the
// lists spell out person codes; the dictionary must use the same codes and texts.
TEST(Dictionary, MatchesTheVocabularyOfThePrintedForms)
{
    const Dict d = readDict();
    const QVector<QPair<const char *, const char *>> printed = {
        {"item_123", "1 新技术;2 新工艺;3 新产品;4 新材料;7 新装备;5 农业、生物新品种;6 矿产新品种;9 其他应用技术;"
                     "A 国际标准;B 国家标准;C 行业标准;D 地方标准;E 企业标准"},
        {"item_125_1", "1 原始性创新;2 国外引进消化吸收创新;3 国内技术二次开发"},
        {"item_16", "1 初期阶段;2 中期阶段;3 成熟应用阶段"},
        {"item_2", "1 国际领先;2 国际先进;3 国内领先;4 国内先进;5 国内一般;6 未评价"},
        {"item_33", "1 允许出口;2 限国内转让;3 不转让"},
        {"item_201", "1 独立研究;2 与企业合作;3 与院校或院所合作;4 与国外合作;9 其他"},
        {"item_210", "1 论文;2 著作;9 其他"},
        {"item_124_1", "01 电子信息;02 软件;03 航空航天;04 光机电一体化;05 生物、医药和医疗器械;06 新材料;"
                       "07 新能源与高效节能;08 环境保护;09 地球、空间与海洋;10 核应用技术;11 农业"},
        {"item_200", "01 陆地、海洋和大气的开发与评价;02 民用宇宙空间;03 农业、林业和渔业的发展;04 促进工业的发展;"
                     "05 能源的生产、储存和分配;06 交通、通讯事业的发展;07 教育事业的发展;08 卫生事业的发展;"
                     "09 社会发展和社会经济服务;10 环境保护;11 知识的全面发展;12 其他民用目标;13 国防"},
        {"item_125", "01 农、林、牧、渔业;02 采矿业;03 制造业;04 电力、煤气及水的生产和供应业;05 建筑业;"
                     "07 交通运输、仓储和邮政业;20 信息传输、计算机服务和软件业;08 批发和零售业;21 住宿和餐饮业;"
                     "09 金融业;10 房地产业;22 租赁和商务服务业;23 科学研究、技术服务和地质勘查业;"
                     "24 水利、环境和公共设施管理业;25 居民服务和其他服务业;26 教育;27 卫生、社会保障和社会福利业;"
                     "28 文化、体育和娱乐业;29 公共管理和社会组织;30 国际组织"},
        {"item_140", "1 高技术研究发展计划（863计划）;3 基础研究计划;6 科技基础条件平台建设;7 国家科技支撑计划;"
                     "8 政策引导类计划及专项;9 其他"},
        {"item_126", "02 部门计划;03 地方计划;05 部门基金;06 地方基金;09 民间基金;07 国际合作;08 横向委托;10 自选;19 其他"},
        {"item_21", "1 鉴定;2 验收;3 行业准入;5 评估;8 评价机构"},
        {"item_21_l", "2 验收;4 评审;6 结题;8 评价机构"},
        {"patent_ty", "1 发明专利;2 实用新型专利;3 外观设计专利"},
        {"item_51", "1 专利;3 软件著作权;9 其他"},
        {"item_51_1", "1 未申请专利;2 已受理专利;3 已授权专利"},
        {"item_32", "1 稳定应用;4 小批量或小范围应用;5 试用;2 应用后停用;3 未应用"},
        {"item_161", "1 产权转让;2 资金入股;3 技术入股;4 合作开发;5 技术服务;9 其他"},
        {"item_32_1", "1 资金问题;2 技术问题;3 市场问题;4 管理问题;5 政策问题"},
        {"item_160", "11 拨款未到位;12 贷款困难;13 无资金渠道;14 协议终止;15 其他;21 技术过时;22 成熟度不够;"
                     "23 成套性差;24 引入技术冲击;25 其他;31 进口产品冲击;32 新产品替代;33 与市场要求不吻合;"
                     "34 市场信息不灵;35 其他;41 管理不好;42 经营不善;43 其他;51 产品政策调整;52 技术政策调整;"
                     "53 金融信贷政策;54 进出口政策;55 其他"},
        {"item_62", "1 独立科研机构;2 大专院校;4 医疗机构;9 其他"},
        {"item_41_3", "01 国有企业;02 集体企业;03 股份合作企业;04 联营企业;05 有限责任公司;06 股份有限公司;07 私营企业;"
                      "08 个体经营;09 港、澳、台商投资企业;10 外商投资企业;11 其他企业"},
        // Code-to-text tables of the person and committee lists.
        {"item_181", "0 男;1 女"},
        {"item_193", "0 男;1 女"},
        {"item_183", "1 院士;2 正高;3 副高;4 中级;5 初级;9 其他;1a 两院院士;1b 中科院院士;1c 工程院院士"},
        {"item_198", "1 院士;2 正高;3 副高;4 中级;5 初级;9 其他;a 两院院士;b 中科院院士;c 工程院院士"},
        {"item_184", "2 博士研究生;3 硕士研究生;4 大本;5 大专;6 中专;9 其他"},
        {"item_188", "1 是;0 否"},
    };
    for (const auto &[key, list] : printed) {
        for (const QString &entry : QString::fromUtf8(list).split(QLatin1Char(';'))) {
            const QString code = entry.section(QLatin1Char(' '), 0, 0);
            EXPECT_EQ(d.text(QString::fromLatin1(key), code), entry.section(QLatin1Char(' '), 1))
                << key << " " << code.toStdString();
        }
    }
    EXPECT_TRUE(d.text(QStringLiteral("item_184"), QStringLiteral("1")).isEmpty());
}

// The query builder puts each item on a record field and lists the item's
// dictionary codes, taking the first three characters of the chosen entry.
TEST(QueryBuilder, ItemsNameRecordFieldsAndTheirCodeLists)
{
    const Dict d = readDict();
    const Seed s = readSeed(QStringLiteral("zdxx1.tsv"));
    const int nameCol = s.col("Name"), keyCol = s.col("ZDDM");
    ASSERT_TRUE(nameCol >= 0 && keyCol >= 0);
    // Items the builder recognises by their text and fills from other tables.
    const QStringList special{QStringLiteral("隶属部委"), QStringLiteral("单位所在省市"), QStringLiteral("分类号")};
    const QSet<QString> freeText{"item_3", "item_9", "item_120", "item_14", "item_128", "item_127", "item_127_1", "item_130"};
    QSet<QString> names, keys;
    for (const QStringList &r : s.rows) {
        const QString &name = r.value(nameCol), &key = r.value(keyCol);
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(names.contains(name));
        names.insert(name);
        keys.insert(key);
        EXPECT_EQ(key, key.toLower());
        if (name == QStringLiteral("评价形式(软、基)"))
            EXPECT_EQ(key, QStringLiteral("item_21_l"));
        else
            EXPECT_NE(kjcgField(key), nullptr) << key.toStdString();

        const auto codes = d.byKey.value(key);
        bool isSpecial = false;
        for (const QString &word : special)
            isSpecial = isSpecial || name.contains(word);
        if (isSpecial || freeText.contains(key)) {
            // Two or more rows would show a dictionary list instead.
            EXPECT_LT(codes.size(), 2) << key.toStdString();
            continue;
        }
        EXPECT_GE(codes.size(), 2) << key.toStdString();
        for (const auto &row : codes)
            EXPECT_LE(row.first.size(), 3) << row.first.toStdString();
    }
    for (const char *must : {"隶属部委", "单位所在省市", "中图分类号", "学科分类号", "评价形式(软、基)", "成果名称"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(must))) << must;
    for (const char *must : {"item_63", "item_64", "item_12", "item_15", "item_2", "item_16", "item_1", "item_126",
                             "item_32", "item_62", "item_120"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(must))) << must;
}

// Required fields: the completeness check reads each id as a record field and
// marks the page of its button; a field a page may leave empty would keep the
// record locked.
TEST(RequiredFields, NameRecordFieldsPagesAndCategories)
{
    const Seed s = readSeed(QStringLiteral("checkup.tsv"));
    const int idCol = s.col("id"), buttonCol = s.col("button"), lbCol = s.col("lb");
    ASSERT_TRUE(idCol >= 0 && buttonCol >= 0 && lbCol >= 0);
    const QSet<QString> buttons{"01", "02", "03", "04"}, scopes{"a", "1", "2"};
    // Cleared by a page or a category change for some records.
    const QSet<QString> neverRequired{"ITEM_41_3", "ITEM_163", "ITEM_32_1", "ITEM_160", "ITEM_51_1", "patent_ty",
                                      "ITEM_127", "ITEM_127_1", "ITEM_420", "ITEM_34", "ITEM_140", "ITEM_41_1"};
    const QSet<QString> appliedOnly{"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33", "ITEM_125_1", "ITEM_32"};
    const QSet<QString> othersOnly{"ITEM_210", "ITEM_200"};
    QSet<QString> seen, pages;
    for (const QStringList &r : s.rows) {
        const QString &id = r.value(idCol), &button = r.value(buttonCol), &lb = r.value(lbCol);
        SCOPED_TRACE(id.toStdString());
        EXPECT_NE(kjcgField(id, Qt::CaseSensitive), nullptr) << "not spelled as the record declares it";
        EXPECT_TRUE(buttons.contains(button)) << button.toStdString();
        EXPECT_TRUE(scopes.contains(lb)) << lb.toStdString();
        EXPECT_FALSE(seen.contains(id + QLatin1Char('/') + lb));
        seen.insert(id + QLatin1Char('/') + lb);
        pages.insert(button);
        EXPECT_FALSE(neverRequired.contains(id));
        if (appliedOnly.contains(id) || button == QLatin1String("02")) {
            EXPECT_EQ(lb, QStringLiteral("1"));
        }
        if (othersOnly.contains(id)) {
            EXPECT_EQ(lb, QStringLiteral("2"));
        }
    }
    EXPECT_EQ(pages, buttons);
}
