#include "samplefill.h"

#include "output/pages/checkmarks.h"

namespace samples {

report::Record richRecord()
{
    report::Record r;
    const QList<std::pair<const char *, QString>> values = {
        {"ITEM_3", QStringLiteral("城市污水处理厂高效生物脱氮除磷工艺及成套装备的研究与应用")},
        {"ITEM_9", QStringLiteral("华东环境工程技术研究院")},
        {"ITEM_128", QStringLiteral("江苏省科学技术厅")},
        {"ITEM_120", QStringLiteral("320201011234")},
        {"ITEM_127_1", QStringLiteral("城镇污水深度处理关键技术研究")},
        {"ITEM_127", QStringLiteral("2009BAC57B01")},
        {"ITEM_149", QStringLiteral("1250.5")}, {"ITEM_141", QStringLiteral("500")}, {"ITEM_148", QStringLiteral("120")},
        {"ITEM_142", QStringLiteral("300")}, {"ITEM_142_1", QStringLiteral("200")}, {"ITEM_142_2", QStringLiteral("80")},
        {"ITEM_142_3", QStringLiteral("20")}, {"ITEM_143", QStringLiteral("50")}, {"ITEM_144", QStringLiteral("180.5")},
        {"ITEM_243", QStringLiteral("100")}, {"ITEM_244", QStringLiteral("0")}, {"ITEM_145", QStringLiteral("0")},
        {"ITEM_130", QStringLiteral("江苏省科学技术厅")}, {"ITEM_22", QStringLiteral("苏科鉴字〔2010〕第128号")},
        {"ITEM_51_2", QStringLiteral("3")}, {"ITEM_51_3", QStringLiteral("8")},
        {"ITEM_53", QStringLiteral("2010SR012345")}, {"ITEM_52", QStringLiteral("污水处理厂运行优化控制软件V1.0")},
        {"ITEM_45", QStringLiteral("6")}, {"ITEM_150", QStringLiteral("320")}, {"ITEM_162", QStringLiteral("120")},
        {"ITEM_151_1", QStringLiteral("860")}, {"ITEM_152_1", QStringLiteral("150")}, {"ITEM_153", QStringLiteral("30")},
        {"ITEM_154", QStringLiteral("1200")},
        {"ITEM_420", QStringLiteral("46600021-X")}, {"ITEM_37", QStringLiteral("南京市玄武区北京东路71号环境科技大楼")},
        {"ITEM_38", QStringLiteral("210008")}, {"ITEM_39", QStringLiteral("025-83641234")}, {"ITEM_40", QStringLiteral("025-83641235")},
        {"ITEM_60", QStringLiteral("http://www.hdhj.example.cn")}, {"ITEM_41", QStringLiteral("周明")},
        {"ITEM_41_2", QStringLiteral("025-83641236")}, {"ITEM_61", QStringLiteral("zhouming@hdhj.example.cn")},
        {"TLinkMan", QStringLiteral("孙立")}, {"TLinkManTe", QStringLiteral("13905171234")},
        {"TLinkManEm", QStringLiteral("sunli@hdhj.example.cn")},
    };
    for (const auto &[f, v] : values)
        r.set(QString::fromLatin1(f), v);
    QString abstract;
    for (int i = 0; i < 12; ++i)
        abstract += QStringLiteral("本项目针对城市污水处理厂脱氮除磷效率低、能耗高的问题，研究开发了高效生物脱氮除磷新工艺，"
                                   "形成了成套装备并在多座污水处理厂推广应用。");
    r.set(QStringLiteral("ITEM_13_1"), abstract);
    return r;
}

void fillLabels(report::ReportForm &form, bool everyBox)
{
    const QHash<QString, QString> texts = {
        {"item_8_1", "2006"}, {"item_8_2", "03"}, {"item_8_3", "2009"}, {"item_8_4", "12"},
        {"item_121_1", "2010"}, {"item_121_2", "6"}, {"item_121_3", "18"},
        {"item_14_1", QStringLiteral("污水处理")}, {"item_14_2", QStringLiteral("生物脱氮除磷")}, {"item_14_3", QStringLiteral("成套装备")},
        {"item_15", QStringLiteral("环境工程")}, {"item_15_1", QStringLiteral("水污染控制工程")},
        {"QR_item_15", QStringLiteral("管理学")}, {"QR_item_15_1", QStringLiteral("科学学与科技管理")},
        {"item_12", "X703"}, {"item_12_1", "X505"}, {"QR_item_12", "G301"}, {"QR_item_12_1", "F204"},
        {"QR_item_127_1", QStringLiteral("区域科技创新能力评价方法研究")}, {"QR_item_127", "2008GXS1D012"},
        {"QR_ITEM_34", "2010.05.20"}, {"QR_item_22", QStringLiteral("苏科评字〔2010〕第31号")},
        {"QRLabel44", QStringLiteral("1000万元～5000万元")}, {"QRLabel45", QStringLiteral("500万元～1000万元")},
        {"QRLabel_64", QStringLiteral("江苏省")}, {"QRLabel_63", QStringLiteral("省级")},
        {"QR_item_9", QStringLiteral("江苏省科技发展战略研究院")}, {"QR_item_420", "46600088-1"},
        {"QR_item_37", QStringLiteral("南京市鼓楼区北京西路15号")}, {"QR_item_38", "210024"},
        {"QR_item_39", "025-86631234"}, {"QR_item_40", "025-86631235"}, {"QR_item_60", "http://www.kjzl.example.cn"},
        {"QR_item_64", QStringLiteral("江苏省")}, {"QR_item_63", QStringLiteral("省级")}, {"QR_item_41", QStringLiteral("李华")},
        {"QR_item_41_2", "025-86631236"}, {"QR_item_61", "lihua@kjzl.example.cn"},
        {"QR_Tlinkman", QStringLiteral("王芳")}, {"QR_TlinkmanTe", "13813801380"}, {"QR_TlinkmanEm", "wangfang@kjzl.example.cn"},
        {"QRLabel_year", "2010"}, {"QRLabel_M", "06"}, {"QRLabel_d", "18"}, {"QRLabel_D", "18"},
    };
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        form.setText(it.key(), it.value());
    for (int i = 1; i <= 6; ++i) {
        form.setText(QStringLiteral("QL_zlqk_zlh_%1").arg(i), QStringLiteral("ZL20081012345%1.X").arg(i));
        form.setText(QStringLiteral("QL_zlqk_zlm_%1").arg(i), QStringLiteral("一种污水生物脱氮除磷的方法及装置"));
        form.setText(QStringLiteral("QLL_zlqk_zlh_%1").arg(i), QStringLiteral("20091023456%1.2").arg(i));
        form.setText(QStringLiteral("QLL_zlqk_zlm_%1").arg(i), QStringLiteral("曝气生物滤池反冲洗控制系统"));
    }
    QStringList names;
    for (const auto *e : std::as_const(form).elements())
        names << e->name;
    if (!everyBox) {
        const QList<std::pair<QString, QString>> stored = {
            {"ITEM_123", "3;C;"}, {"ITEM_125_1", "1"}, {"ITEM_16", "3"}, {"ITEM_2", "2"}, {"ITEM_33", "2"},
            {"ITEM_201", "3"}, {"ITEM_210", "1"}, {"ITEM_124_1", "08"}, {"ITEM_200", "09"}, {"ITEM_125", "24"},
            {"ITEM_140", "7"}, {"ITEM_21", "1"}, {"ITEM_21", "2"}, {"patent_ty", "1;2;"}, {"ITEM_51", "1;3;"},
            {"ITEM_51_1", "3"}, {"ITEM_32", "1"}, {"ITEM_161", "5"}, {"ITEM_62", "1"}, {"ITEM_163", "0"}};
        for (const auto &[field, value] : stored)
            for (const QString &name : labelsToMark(names, field, value))
                form.setText(name, checkMark());
        return;
    }
    // A tick in every box, so each box prints with its mark.
    for (const QString &name : names)
        if (name.startsWith(QLatin1String("QL_ITEM")) || name.startsWith(QLatin1String("QL_patent"))
            || name.startsWith(QLatin1String("QR_ITEM_21")))
            form.setText(name, checkMark());
}

std::unique_ptr<report::MemDataset> persons(int n, bool longTexts)
{
    auto ds = std::make_unique<report::MemDataset>();
    for (int i = 0; i < n; ++i) {
        ds->append();
        ds->setField(QStringLiteral("ITEM_187"), QString::number(i + 1));
        ds->setField(QStringLiteral("ITEM_180"), i % 3 ? QStringLiteral("王建国") : QStringLiteral("欧阳晓明"));
        ds->setField(QStringLiteral("ITEM_181"), i % 2 ? QStringLiteral("女") : QStringLiteral("男"));
        ds->setField(QStringLiteral("ITEM_182"), QStringLiteral("1968.05"));
        ds->setField(QStringLiteral("ITEM_183"), i == 0 ? QStringLiteral("中科院院士") : QStringLiteral("正高"));
        ds->setField(QStringLiteral("ITEM_184"), QStringLiteral("博士研究生"));
        ds->setField(QStringLiteral("ITEM_188"), QStringLiteral("否"));
        ds->setField(QStringLiteral("ITEM_185"), longTexts && i == 0
                         ? QStringLiteral("华东环境工程技术研究院水污染控制研究所第三研究室") : QStringLiteral("华东环境工程技术研究院"));
        ds->setField(QStringLiteral("ITEM_186"), longTexts && i == 0
                         ? QStringLiteral("项目负责人，提出高效生物脱氮除磷工艺的总体技术路线，主持成套装备的设计与工程示范")
                         : QStringLiteral("工艺设计与调试"));
        ds->post();
    }
    return ds;
}

std::unique_ptr<report::MemDataset> committee(int n)
{
    auto ds = std::make_unique<report::MemDataset>();
    for (int i = 0; i < n; ++i) {
        ds->append();
        ds->setField(QStringLiteral("ITEM_191"), i == 0 ? QStringLiteral("主任委员") : QStringLiteral("委员"));
        ds->setField(QStringLiteral("ITEM_192"), QStringLiteral("陈志远"));
        ds->setField(QStringLiteral("ITEM_193"), QStringLiteral("男"));
        ds->setField(QStringLiteral("ITEM_195"), QStringLiteral("河海大学环境学院"));
        ds->setField(QStringLiteral("ITEM_196"), QStringLiteral("环境工程"));
        ds->setField(QStringLiteral("ITEM_197"), QStringLiteral("水污染控制"));
        ds->setField(QStringLiteral("ITEM_198"), QStringLiteral("工程院院士"));
        ds->post();
    }
    return ds;
}

std::unique_ptr<report::MemDataset> organisations(int n)
{
    auto ds = std::make_unique<report::MemDataset>();
    for (int i = 0; i < n; ++i) {
        ds->append();
        ds->setField(QStringLiteral("ITEM_176"), QString::number(i + 1));
        ds->setField(QStringLiteral("ITEM_170"), i == 0 ? QStringLiteral("江苏省环境保护产业集团有限公司污水处理设备分公司")
                                                        : QStringLiteral("河海大学"));
        ds->setField(QStringLiteral("ITEM_171"), i == 0 ? QStringLiteral("江苏省宜兴市高塍镇环保工业园区环科大道188号")
                                                        : QStringLiteral("南京市西康路1号"));
        ds->setField(QStringLiteral("ITEM_172"), QStringLiteral("214214"));
        ds->setField(QStringLiteral("ITEM_173"), QStringLiteral("刘强"));
        ds->setField(QStringLiteral("ITEM_174"), QStringLiteral("0510-87061234"));
        ds->post();
    }
    return ds;
}

} // namespace samples
