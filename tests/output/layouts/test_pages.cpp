#include "output/layouts/pages.h"
#include "report/layout.h"
#include "report/render.h"
#include "samplefill.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace layouts;
using report::Document;
using report::ReportForm;

namespace {

// The elements each page's fill sets, by the names the fills use.
QHash<QString, QStringList> fillNames()
{
    QHash<QString, QStringList> m;
    const QStringList cover = {"item_8_1", "item_8_2", "item_8_3", "item_8_4", "item_121_1", "item_121_2", "item_121_3"};
    m["Tyyfm1"] = cover;
    m["Trjfm1"] = cover;
    m["TyyPrint03"] = {"item_14_1", "item_14_2", "item_14_3", "item_15", "item_15_1", "item_12", "item_12_1", "QRPage"};
    m["TrjPrint03"] = {"item_14_1", "item_14_2", "item_14_3", "QR_item_15", "QR_item_15_1", "QR_item_12", "QR_item_12_1",
                       "QR_item_127_1", "QR_item_127", "QRPage"};
    QStringList p5 = {"QR_ITEM_34", "QRLabel44", "QRLabel45", "QRPage"};
    for (int i = 1; i <= 6; ++i)
        p5 << QStringLiteral("QL_zlqk_zlh_%1").arg(i) << QStringLiteral("QL_zlqk_zlm_%1").arg(i)
           << QStringLiteral("QLL_zlqk_zlh_%1").arg(i) << QStringLiteral("QLL_zlqk_zlm_%1").arg(i);
    m["TyyPrint05"] = p5;
    m["TyyPrint07"] = {"QRLabel_64", "QRLabel_63", "QRPage1", "QRDBText15", "QRDBText16"};
    m["TrjPrint05"] = {"QR_ITEM_34", "QR_item_22", "QR_item_9", "QR_item_420", "QR_item_37", "QR_item_38", "QR_item_39",
                       "QR_item_40", "QR_item_60", "QR_item_41", "QR_item_41_2", "QR_item_61", "QR_item_64", "QR_item_63",
                       "QR_Tlinkman", "QR_TlinkmanTe", "QR_TlinkmanEm", "QRPage", "QRDBText2", "QRDBText3"};
    m["TyyPrint08"] = {"QRLabel_year", "QRLabel_M", "QRLabel_d", "QRPage"};
    m["TrjPrint06"] = {"QRLabel_year", "QRLabel_M", "QRLabel_D", "QRPage"};
    m["TyyPrint09"] = {"QRPage"};
    m["TrjPrint07"] = {"QRPage"};
    for (const char *p : {"TyyPrint10", "TyyPrint11", "TrjPrint08", "TrjPrint09"})
        m[p] = {"QRpage", "QRSysData1"};
    m["TyyPrint10"] << "QRDBText8" << "QRDBText9";
    m["TrjPrint08"] << "QRDBText8" << "QRDBText9";
    return m;
}

// The page number a vocabulary file entry names for a class.
int vocabularyPage(const PageInfo &p) { return p.number.toInt(); }

// A page built and filled with a realistic record and lists.
struct Filled {
    ReportForm form;
    std::unique_ptr<report::MemDataset> persons, committee, organisations;
    Document doc;
};

Filled filled(const PageInfo &p, int persons = 6, int committee = 9, int organisations = 8, bool everyBox = true)
{
    Filled f{p.build(), samples::persons(persons), samples::committee(committee), samples::organisations(organisations), {}};
    f.form.setRecord(samples::richRecord());
    samples::fillLabels(f.form, everyBox);
    f.form.setDataset(kPersonRows, f.persons.get());
    f.form.setDataset(kCommitteeRows, f.committee.get());
    f.form.setDataset(kOrganisationRows, f.organisations.get());
    f.doc = report::layout(f.form);
    return f;
}

bool isBox(const QString &name) { return name.startsWith(QLatin1String("QL_ITEM")) || name.startsWith(QLatin1String("QL_patent")) || name.startsWith(QLatin1String("QR_ITEM_21_")); }

TEST(FormPages, BothFamiliesHaveEveryPageInOrder)
{
    QStringList yy, rj;
    for (const auto &p : formPages(FormFamily::Applied))
        yy << p.className;
    for (const auto &p : formPages(FormFamily::BasicTheory))
        rj << p.className;
    EXPECT_EQ(yy, (QStringList{"Tyyfm1", "Tyyfm2", "TyyPrint01", "TyyPrint02", "TyyPrint03", "TyyPrint04", "TyyPrint05",
                               "TyyPrint06", "TyyPrint07", "TyyPrint08", "TyyPrint09", "TyyPrint10", "TyyPrint11",
                               "TyyPrint12", "TyyPrint14"}));
    EXPECT_EQ(rj, (QStringList{"Trjfm1", "Trjfm2", "TrjPrint01", "TrjPrint02", "TrjPrint03", "TrjPrint04", "TrjPrint05",
                               "TrjPrint06", "TrjPrint07", "TrjPrint08", "TrjPrint09", "TrjPrint10", "TrjPrint11"}));
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            const ReportForm f = p.build();
            EXPECT_EQ(f.name, p.instance);
            EXPECT_EQ(f.pageSize, QSizeF(210, 297));
            EXPECT_EQ(buildPage(p.className).name, p.instance);
            // Table pages have 10 mm margins; covers, instructions and
            // annexes 20 mm (the basic-theory notes page 4 is a table-page
            // neighbour and has 10 mm).
            const int no = p.number.toInt();
            const bool table = fam == FormFamily::Applied ? QList<int>{3, 5, 7, 8, 9, 10, 11}.contains(no)
                                                          : (no >= 3 && no <= 9);
            EXPECT_EQ(f.margins, table ? QMarginsF(10, 10, 10, 10) : QMarginsF(20, 20, 20, 20)) << p.className.toStdString();
        }
    EXPECT_THROW(buildPage("TyyPrint13"), std::out_of_range);
}

TEST(FormPages, NamedElementsTheFillsSet)
{
    const auto names = fillNames();
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            const ReportForm f = p.build();
            for (const QString &n : names.value(p.className))
                EXPECT_NE(f.find(n), nullptr) << p.className.toStdString() << " lacks " << n.toStdString();
            // Fill labels start empty; the list pages show their fixed number.
            for (const QString &n : names.value(p.className)) {
                const auto *e = f.find(n);
                if (e && e->kind == report::Kind::Label && !n.startsWith(QLatin1String("QRPage")) && n != "QRpage") {
                    EXPECT_TRUE(e->text.isEmpty()) << n.toStdString();
                }
            }
        }
    // The running page number of the lists is a page-number field with its
    // prefix, hidden until a fill shows it.
    const ReportForm p10 = buildPage("TyyPrint10");
    EXPECT_EQ(p10.find("QRSysData1")->kind, report::Kind::PageNumber);
    EXPECT_EQ(p10.find("QRSysData1")->text, QStringLiteral("10--"));
    EXPECT_FALSE(p10.find("QRSysData1")->visible);
    EXPECT_EQ(p10.find("QRpage")->text, QStringLiteral("10"));
    EXPECT_EQ(buildPage("TrjPrint09").find("QRSysData1")->text, QStringLiteral("9--"));
    EXPECT_EQ(buildPage("TyyPrint10").find("QRDBText8")->field, QStringLiteral("ITEM_185"));
    EXPECT_EQ(buildPage("TyyPrint07").find("QRDBText15")->field, QStringLiteral("ITEM_170"));
    EXPECT_EQ(buildPage("TyyPrint09").find("QRDBRichText1")->field, QStringLiteral("ITEM_13_1"));
}

// Row titles of the tables print in 宋体 11 pt, as the form gives them.
TEST(FormPages, RowTitlesOfTheTablesAreSong11)
{
    const QList<std::pair<const char *, QString>> titles = {
        {"TyyPrint03", QStringLiteral("1．成果名称")},         {"TyyPrint05", QStringLiteral("3．已受理专利项数")},
        {"TyyPrint05", QStringLiteral("8．未应用或停用原因")}, {"TyyPrint07", QStringLiteral("第一完成单位名称")},
        {"TyyPrint07", QStringLiteral("成果转让联系人电话")},   {"TrjPrint05", QStringLiteral("1．评价方式")},
        {"TrjPrint05", QStringLiteral("电子信箱")},             {"TrjPrint03", QStringLiteral("9．成果应用行业")}};
    for (const auto &[cls, title] : titles) {
        const ReportForm f = buildPage(QString::fromLatin1(cls));
        const report::Element *found = nullptr;
        for (const auto *e : f.elements())
            if (e->text == title)
                found = e;
        ASSERT_NE(found, nullptr) << cls << " " << title.toStdString();
        EXPECT_EQ(found->font.family, QStringLiteral("宋体")) << cls << " " << title.toStdString();
        EXPECT_DOUBLE_EQ(found->font.size, 11) << cls << " " << title.toStdString();
    }
}

TEST(FormPages, EveryVocabularyBoxIsAFramedLabelOnItsPage)
{
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            const ReportForm f = p.build();
            int boxes = 0;
            for (const auto &item : checkItemsOnPage(fam, vocabularyPage(p))) {
                if (p.number.isEmpty())
                    continue;
                for (const QString &name : item.boxNames()) {
                    const auto *e = f.find(name);
                    ASSERT_NE(e, nullptr) << p.className.toStdString() << " lacks " << name.toStdString();
                    EXPECT_EQ(e->kind, report::Kind::Label);
                    EXPECT_EQ(e->frame, unsigned(report::AllSides));
                    EXPECT_NEAR(e->rect.width(), 3.4, 0.01);
                    ++boxes;
                }
            }
            // No box of a row the page does not print.
            int onPage = 0;
            for (const auto *e : f.elements())
                onPage += isBox(e->name);
            EXPECT_EQ(onPage, boxes) << p.className.toStdString();
        }
}

TEST(FormPages, FilledPagesStayInsideThePrintableAreaAndNothingIsCut)
{
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            const Filled f = filled(p);
            const QRectF area(f.form.margins.left(), f.form.margins.top(), f.form.contentWidth(), f.form.contentHeight());
            for (const auto &page : f.doc.pages)
                for (const auto &e : page.elements) {
                    const QRectF r = e.rect.normalized();
                    const QRectF a = area.adjusted(-0.01, -0.01, 0.01, 0.01);
                    EXPECT_TRUE(r.left() >= a.left() && r.right() <= a.right() && r.top() >= a.top() && r.bottom() <= a.bottom())
                        << p.className.toStdString() << " " << e.name.toStdString() << " at " << r.top() << "," << r.left()
                        << " " << r.width() << "x" << r.height();
                    if (!isBox(e.name)) {
                        EXPECT_FALSE(e.overflow) << p.className.toStdString() << " cuts " << e.name.toStdString() << " \""
                                                 << e.text.left(30).toStdString() << "\"";
                    }
                }
        }
}

TEST(FormPages, EmptyRecordPrintsEveryPageOnOneSheet)
{
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            ReportForm f = p.build();
            report::MemDataset none;
            for (const QString &ds : {kPersonRows, kCommitteeRows, kOrganisationRows})
                f.setDataset(ds, &none);
            const Document d = report::layout(f);
            ASSERT_EQ(d.pageCount(), 1) << p.className.toStdString();
            for (const auto &e : d.pages[0].elements)
                EXPECT_FALSE(e.overflow) << p.className.toStdString() << " " << e.name.toStdString();
            // The heads of the list pages print without rows.
            EXPECT_EQ(d.pages[0].detailRows(), 0);
        }
}

TEST(FormPages, FramedCellsDoNotOverlap)
{
    const double eps = 0.05;
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            const Filled f = filled(p);
            for (const auto &page : f.doc.pages) {
                std::vector<QRectF> cells;
                for (const auto &e : page.elements)
                    if (e.frame == report::AllSides || e.kind == report::Kind::Rect)
                        cells.push_back(e.rect.normalized());
                for (size_t i = 0; i < cells.size(); ++i)
                    for (size_t j = i + 1; j < cells.size(); ++j) {
                        const QRectF a = cells[i], b = cells[j];
                        const QRectF in = a.intersected(b);
                        if (in.width() <= eps || in.height() <= eps)
                            continue;
                        // One inside the other is a cell within a cell, not an overlap.
                        const bool nested = a.adjusted(-eps, -eps, eps, eps).contains(b) || b.adjusted(-eps, -eps, eps, eps).contains(a);
                        EXPECT_TRUE(nested) << p.className.toStdString() << " page " << page.number << ": cells at ("
                                            << a.left() << "," << a.top() << ") and (" << b.left() << "," << b.top() << ")";
                    }
            }
        }
}

TEST(FormPages, WrappedListCellsStretchTheirRow)
{
    for (const char *cls : {"TyyPrint07", "TrjPrint05", "TyyPrint10", "TrjPrint08"}) {
        const ReportForm f = buildPage(cls);
        const bool org = QString::fromLatin1(cls).contains("07") || QString::fromLatin1(cls).contains("05");
        const QStringList cells = org ? (QString(cls) == "TyyPrint07" ? QStringList{"QRDBText15", "QRDBText16"}
                                                                      : QStringList{"QRDBText2", "QRDBText3"})
                                      : QStringList{"QRDBText8", "QRDBText9"};
        for (const QString &c : cells) {
            const auto *e = f.find(c);
            ASSERT_NE(e, nullptr);
            EXPECT_TRUE(e->stretch) << cls << " " << c.toStdString();
            ASSERT_TRUE(bool(e->beforePrint));
        }
    }
    // The long address on the applied page 7 and the long employer on the
    // basic-theory page 8 print whole: their rows grow.
    const Filled p7 = filled(formPages(FormFamily::Applied)[8]);
    const auto addr = p7.doc.pages[0].findAll("QRDBText16");
    ASSERT_EQ(addr.size(), 8u);
    EXPECT_GT(addr[0]->lines.size(), 1);
    EXPECT_FALSE(addr[0]->overflow);
    EXPECT_GT(addr[0]->rect.height(), addr[1]->rect.height());
    EXPECT_EQ(addr[0]->lines.join(QString()), QStringLiteral("江苏省宜兴市高塍镇环保工业园区环科大道188号"));

    const Filled p8 = filled(formPages(FormFamily::BasicTheory)[9]);
    const auto unit = p8.doc.pages[0].findAll("QRDBText8");
    ASSERT_GE(unit.size(), 2u);
    EXPECT_GT(unit[0]->lines.size(), 2);
    EXPECT_FALSE(unit[0]->overflow);
    for (const QString &line : unit[0]->lines)
        EXPECT_LE(line.size(), 11);   // 22 bytes of double-byte characters
    // Every cell of the row grows with it.
    EXPECT_DOUBLE_EQ(p8.doc.pages[0].findAll("QRShape11")[0]->rect.height(), unit[0]->rect.height());
}

// Texts as long as their fields hold: double-byte characters, or letters for
// numbers and addresses of the web and mail.
QString longText(int bytes, bool ascii = false)
{
    const QString unit = ascii ? QStringLiteral("a") : QStringLiteral("研");
    return unit.repeated(ascii ? bytes : bytes / 2);
}

TEST(FormPages, LongestStoredValuesPrintWhole)
{
    report::Record r;
    const QList<std::tuple<const char *, int, bool>> fields = {
        {"ITEM_3", 140, false}, {"ITEM_9", 140, false}, {"ITEM_128", 80, false}, {"ITEM_127_1", 140, false},
        {"ITEM_127", 30, true}, {"ITEM_130", 80, false}, {"ITEM_22", 30, false}, {"ITEM_52", 80, false},
        {"ITEM_53", 12, true}, {"ITEM_420", 20, true}, {"ITEM_37", 100, false}, {"ITEM_38", 6, true},
        {"ITEM_39", 30, true}, {"ITEM_40", 30, true}, {"ITEM_60", 100, true}, {"ITEM_41", 20, false},
        {"ITEM_41_2", 30, true}, {"ITEM_61", 80, true}, {"TLinkMan", 20, false}, {"TLinkManTe", 30, true},
        {"TLinkManEm", 80, true}, {"ITEM_120", 12, true}};
    for (const auto &[f, bytes, ascii] : fields)
        r.set(QString::fromLatin1(f), longText(bytes, ascii));
    report::MemDataset persons, committee, organisations;
    persons.append();
    for (const auto &[f, bytes] : QList<std::pair<const char *, int>>{{"ITEM_180", 20}, {"ITEM_182", 14}, {"ITEM_185", 80}, {"ITEM_186", 160}})
        persons.setField(QString::fromLatin1(f), longText(bytes));
    persons.post();
    committee.append();
    for (const auto &[f, bytes] : QList<std::pair<const char *, int>>{{"ITEM_191", 20}, {"ITEM_192", 20}, {"ITEM_195", 80}, {"ITEM_196", 30}, {"ITEM_197", 30}})
        committee.setField(QString::fromLatin1(f), longText(bytes));
    committee.post();
    organisations.append();
    for (const auto &[f, bytes] : QList<std::pair<const char *, int>>{{"ITEM_170", 80}, {"ITEM_171", 80}, {"ITEM_172", 20}, {"ITEM_173", 20}, {"ITEM_174", 20}})
        organisations.setField(QString::fromLatin1(f), longText(bytes));
    organisations.post();
    const QStringList fillsOfFields = {"QR_item_9", "QR_item_37", "QR_item_60", "QR_item_61", "QR_TlinkmanEm", "QR_item_127_1"};
    // Three keywords of 200 bytes in all.
    const QString keyword = longText(64);
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam)) {
            ReportForm f = p.build();
            f.setRecord(r);
            for (const QString &name : fillsOfFields) {
                const bool ascii = name.contains("60") || name.contains("61") || name.contains("Em");
                f.setText(name, longText(name.contains("_9") || name.contains("127") ? 140 : name.contains("37") || name.contains("60") ? 100 : 80, ascii));
            }
            for (const char *k : {"item_14_1", "item_14_2", "item_14_3"})
                f.setText(k, keyword);
            f.setDataset(kPersonRows, &persons);
            f.setDataset(kCommitteeRows, &committee);
            f.setDataset(kOrganisationRows, &organisations);
            const Document d = report::layout(f);
            for (const auto &page : d.pages)
                for (const auto &e : page.elements)
                    EXPECT_FALSE(e.overflow) << p.className.toStdString() << " cuts " << e.name.toStdString();
        }
}

int pagesFor(const char *cls, int persons, int committee)
{
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam))
            if (p.className == cls) {
                Filled f{p.build(), samples::persons(persons, false), samples::committee(committee), nullptr, {}};
                f.form.setDataset(kPersonRows, f.persons.get());
                f.form.setDataset(kCommitteeRows, f.committee.get());
                return report::layout(f.form).pageCount();
            }
    return -1;
}

TEST(FormPages, ListPagesHoldTheRowsTheFillsCountOn)
{
    // Persons: the fill adds one blank row; 18 persons (17 on the other
    // form) and the notes fit one page, one more person does not.
    EXPECT_EQ(pagesFor("TyyPrint10", 19, 0), 1);
    EXPECT_EQ(pagesFor("TyyPrint10", 20, 0), 2);
    EXPECT_EQ(pagesFor("TrjPrint08", 18, 0), 1);
    EXPECT_EQ(pagesFor("TrjPrint08", 19, 0), 2);
    // Committee rows are padded to 13 + 21k (15 + 22k): whole pages.
    EXPECT_EQ(pagesFor("TyyPrint11", 0, 13), 1);
    EXPECT_EQ(pagesFor("TyyPrint11", 0, 14), 2);
    EXPECT_EQ(pagesFor("TyyPrint11", 0, 34), 2);
    EXPECT_EQ(pagesFor("TyyPrint11", 0, 55), 3);
    EXPECT_EQ(pagesFor("TrjPrint09", 0, 15), 1);
    EXPECT_EQ(pagesFor("TrjPrint09", 0, 16), 2);
    EXPECT_EQ(pagesFor("TrjPrint09", 0, 37), 2);
    // The notes stand at the foot of the last page, above the footer.
    Filled f{buildPage("TyyPrint11"), nullptr, samples::committee(34), nullptr, {}};
    f.form.setDataset(kCommitteeRows, f.committee.get());
    const Document d = report::layout(f.form);
    ASSERT_EQ(d.pageCount(), 2);
    EXPECT_EQ(d.pages[0].detailRows(), 21);
    EXPECT_EQ(d.pages[1].detailRows(), 13);
}

// The list constants follow from the band heights alone: the rows a page
// holds under the head and above the footer, and the rows that still fit
// with the notes of the summary.
TEST(FormPages, ListConstantsFollowFromTheBandHeights)
{
    auto fit = [](const ReportForm &f, bool withSummary) {
        double room = f.contentHeight() - f.band(report::BandKind::ColumnHeader)->height
                      - f.band(report::BandKind::PageFooter)->height;
        if (withSummary)
            room -= f.band(report::BandKind::Summary)->height;
        return int(room / f.band(report::BandKind::Detail)->height + 1e-9);
    };
    // Persons: the threshold and the blank row fit with the notes.
    EXPECT_EQ(fit(buildPage("TyyPrint10"), true), 18 + 1);
    EXPECT_EQ(fit(buildPage("TrjPrint08"), true), 17 + 1);
    // Committee: 13 + 21k and 15 + 22k rows fill whole pages.
    EXPECT_EQ(fit(buildPage("TyyPrint11"), false), 21);
    EXPECT_EQ(fit(buildPage("TyyPrint11"), true), 13);
    EXPECT_EQ(fit(buildPage("TrjPrint09"), false), 22);
    EXPECT_EQ(fit(buildPage("TrjPrint09"), true), 15);
}

TEST(FormPages, OrganisationHeadRepeatsOnEveryPage)
{
    const Filled f = filled(formPages(FormFamily::Applied)[8], 0, 0, 30);
    ASSERT_GE(f.doc.pageCount(), 2);
    for (const auto &page : f.doc.pages) {
        EXPECT_NE(page.find("QRDBText_ITEM_9"), nullptr);
        EXPECT_NE(page.find("QL_ITEM_62_1"), nullptr);
        EXPECT_NE(page.find("QRPage1"), nullptr);
    }
}

// Renders both families of a realistic record into one PDF each and reads
// the text back.  With SORVEL_RENDER_DIR set, the PDFs are kept there.
TEST(FormPages, BothFamiliesRenderToPdfWithTheirChineseText)
{
    QTemporaryDir tmp;
    const QString dir = qEnvironmentVariableIsSet("SORVEL_RENDER_DIR") ? qEnvironmentVariable("SORVEL_RENDER_DIR") : tmp.path();
    QDir().mkpath(dir);
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory}) {
        std::vector<Filled> pages;
        for (const auto &p : formPages(fam))
            pages.push_back(filled(p, 7, 9, fam == FormFamily::Applied ? 8 : 3, false));
        std::vector<const Document *> docs;
        docs.reserve(pages.size());
        for (const auto &f : pages)
            docs.push_back(&f.doc);
        const QString pdf = dir + (fam == FormFamily::Applied ? "/applied.pdf" : "/basic.pdf");
        QString error;
        ASSERT_TRUE(report::writePdf(docs, pdf, &error)) << error.toStdString();
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("填  报  说  明")) || text.contains(QStringLiteral("填 报 说 明")));
        EXPECT_TRUE(text.contains(QStringLiteral("成果完成人员名单")));
        EXPECT_TRUE(text.contains(QStringLiteral("城市污水处理厂高效生物脱氮除磷工艺")));
        EXPECT_TRUE(text.contains(fam == FormFamily::Applied ? QStringLiteral("国家科技计划名称代码对应关系")
                                                             : QStringLiteral("知识的全面发展")));
    }
}

} // namespace
