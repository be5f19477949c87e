// Every printed page of both families, built from its layout and filled from
// a rich record and from an empty one, read back from the page model.
#include "output/fill/printpages.h"
#include "output/layouts/pages.h"
#include "report/render.h"
#include "support/printsamples.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using output::Family;
using output::PrintPages;
using testsupport::emptyPrintRecord;
using testsupport::richPrintRecord;

namespace {

report::ReportForm build(const QString &instance)
{
    return layouts::buildPage(QLatin1Char('T') + instance);
}

struct Filled {
    PrintPages pages{build};
    explicit Filled(output::PrintRecord r) { pages.setRecord(std::move(r)); }
    report::Document preview(Family f, const char *label) { return pages.preview(f, PrintPages::indexOf(f, QString::fromUtf8(label))); }
    report::Document direct(Family f, const char *label) { return pages.direct(f, PrintPages::indexOf(f, QString::fromUtf8(label))); }
};

// Texts of all elements of that name on a page, in order.
QStringList texts(const report::Page &p, const QString &name)
{
    QStringList out;
    for (const auto *e : p.findAll(name))
        out << e->text;
    return out;
}

int rowsOn(const report::Document &d)
{
    int n = 0;
    for (const auto &p : d.pages)
        n += p.detailRows();
    return n;
}

} // namespace

TEST(FilledPages, EveryPageOfBothFamiliesLaysOutFromRichAndEmptyRecords)
{
    for (bool applied : {true, false}) {
        const Family fam = applied ? Family::Applied : Family::Basic;
        for (bool rich : {true, false}) {
            Filled f(rich ? richPrintRecord(applied) : emptyPrintRecord(applied));
            const auto docs = f.pages.wholeForm(fam);
            ASSERT_EQ(docs.size(), PrintPages::pages(fam).size());
            for (size_t i = 0; i < docs.size(); ++i) {
                const auto &entry = PrintPages::pages(fam)[i];
                ASSERT_GE(docs[i].pageCount(), 1) << qPrintable(entry.formName);
                EXPECT_EQ(docs[i].name, entry.formName);
                if (entry.previewNumber > 0 && !entry.list) {
                    EXPECT_EQ(docs[i].pages[0].text(entry.numberLabel), QString::number(entry.previewNumber))
                        << qPrintable(entry.formName);
                }
            }
        }
    }
}

TEST(FilledPages, AppliedPagesShowTheRecordAndItsMarks)
{
    Filled f(richPrintRecord(true, 5, 7, 3, 4));
    const report::Page cover = f.preview(Family::Applied, "封面1").pages[0];
    EXPECT_EQ(cover.text(QStringLiteral("item_8_1")), QStringLiteral("2019"));
    EXPECT_EQ(cover.text(QStringLiteral("item_8_4")), QStringLiteral("11"));
    EXPECT_EQ(cover.text(QStringLiteral("item_121_3")), QStringLiteral("18"));
    EXPECT_EQ(cover.text(QStringLiteral("QRDBText_ITEM_3")), QStringLiteral("高寒地区复合材料桥面铺装关键技术研究与应用"));

    const report::Page p3 = f.preview(Family::Applied, "3").pages[0];
    EXPECT_EQ(p3.text(QStringLiteral("item_14_2")), QStringLiteral("桥面铺装"));
    EXPECT_EQ(p3.text(QStringLiteral("item_15")), QStringLiteral("道路工程"));
    EXPECT_EQ(p3.text(QStringLiteral("QL_ITEM_123_3")), QStringLiteral("√"));
    EXPECT_EQ(p3.text(QStringLiteral("QL_ITEM_124_1_06")), QStringLiteral("√"));
    EXPECT_EQ(p3.text(QStringLiteral("QL_ITEM_2_2")), QStringLiteral("√"));
    EXPECT_EQ(p3.text(QStringLiteral("QL_ITEM_2_1")), QString());
    EXPECT_EQ(p3.text(QStringLiteral("QRPage")), QStringLiteral("3"));

    const report::Page p5 = f.preview(Family::Applied, "5").pages[0];
    EXPECT_EQ(p5.text(QStringLiteral("QL_zlqk_zlm_1")), QStringLiteral("一种桥面复合铺装结构1"));
    EXPECT_EQ(p5.text(QStringLiteral("QLL_zlqk_zlm_1")), QStringLiteral("一种桥面复合铺装结构2"));
    EXPECT_EQ(p5.text(QStringLiteral("QL_zlqk_zlh_3")), QString());
    EXPECT_EQ(p5.text(QStringLiteral("QRLabel44")), QStringLiteral("100～500万元"));
    EXPECT_EQ(p5.text(QStringLiteral("QL_ITEM_161_2")), QStringLiteral("√"));

    const report::Document p7 = f.preview(Family::Applied, "7");
    EXPECT_EQ(p7.pages[0].text(QStringLiteral("QRLabel_64")), QStringLiteral("北京市"));
    EXPECT_EQ(p7.pages[0].text(QStringLiteral("QRPage1")), QStringLiteral("7"));
    EXPECT_EQ(rowsOn(p7), 8); // three organisations and five blank rows

    const report::Page p8 = f.preview(Family::Applied, "8").pages[0];
    EXPECT_EQ(p8.text(QStringLiteral("QRLabel_year")) + p8.text(QStringLiteral("QRLabel_M")) + p8.text(QStringLiteral("QRLabel_d")),
              QStringLiteral("20240518"));

    const report::Document p10 = f.preview(Family::Applied, "10");
    ASSERT_EQ(p10.pageCount(), 1);
    EXPECT_EQ(rowsOn(p10), 6); // five persons and the blank row
    EXPECT_EQ(p10.pages[0].text(QStringLiteral("QRpage")), QStringLiteral("10"));
    EXPECT_EQ(p10.pages[0].find(QStringLiteral("QRSysData1")), nullptr);

    const report::Document p11 = f.preview(Family::Applied, "11");
    EXPECT_EQ(rowsOn(p11), 13);
    EXPECT_TRUE(p11.pages[0].elements.size() > 0);
}

TEST(FilledPages, AnEmptyRecordLeavesNothingOfTheRichOneBehind)
{
    Filled f(richPrintRecord(true));
    f.pages.wholeForm(Family::Applied);
    f.pages.setRecord(emptyPrintRecord(true));
    const report::Page p3 = f.preview(Family::Applied, "3").pages[0];
    for (const auto &e : p3.elements)
        if (e.name.startsWith(QLatin1String("QL_")) || e.name.startsWith(QLatin1String("item_"))) {
            EXPECT_EQ(e.text, QString()) << qPrintable(e.name);
        }
    const report::Page p5 = f.preview(Family::Applied, "5").pages[0];
    EXPECT_EQ(p5.text(QStringLiteral("QL_zlqk_zlh_1")), QString());
    const report::Document p10 = f.preview(Family::Applied, "10");
    EXPECT_EQ(rowsOn(p10), 1);
    EXPECT_EQ(rowsOn(f.preview(Family::Applied, "11")), 13);
    EXPECT_EQ(rowsOn(f.preview(Family::Applied, "7")), 8);

    Filled b(emptyPrintRecord(false));
    EXPECT_EQ(rowsOn(b.preview(Family::Basic, "5")), 0);
    EXPECT_EQ(rowsOn(b.preview(Family::Basic, "8")), 1);
    EXPECT_EQ(rowsOn(b.preview(Family::Basic, "9")), 15);
    const report::Page cover = b.preview(Family::Basic, "封面1").pages[0];
    EXPECT_EQ(cover.text(QStringLiteral("item_121_1")), QString());
}

TEST(FilledPages, BasicPagesShowTheRecordAndDirectNumbers)
{
    Filled f(richPrintRecord(false, 4, 3, 10, 0));
    const report::Page p3 = f.preview(Family::Basic, "3").pages[0];
    EXPECT_EQ(p3.text(QStringLiteral("QR_item_12")), QStringLiteral("U443"));
    EXPECT_EQ(p3.text(QStringLiteral("QR_item_127_1")), QStringLiteral("北京市科技计划重点项目"));
    EXPECT_EQ(p3.text(QStringLiteral("QL_ITEM_200_04")), QStringLiteral("√"));
    EXPECT_EQ(f.direct(Family::Basic, "3").pages[0].text(QStringLiteral("QRPage")), QStringLiteral("1"));
    const report::Document p5 = f.preview(Family::Basic, "5");
    EXPECT_EQ(p5.pages[0].text(QStringLiteral("QR_item_9")), QStringLiteral("青岚应用技术研究院"));
    EXPECT_EQ(p5.pages[0].text(QStringLiteral("QR_item_64")), QStringLiteral("北京市"));
    EXPECT_EQ(rowsOn(p5), 8); // the first eight of ten
    const report::Page p6 = f.preview(Family::Basic, "6").pages[0];
    EXPECT_EQ(p6.text(QStringLiteral("QRLabel_D")), QStringLiteral("18"));
    EXPECT_EQ(f.direct(Family::Basic, "8").pages[0].text(QStringLiteral("QRpage")), QStringLiteral("5"));
}

// The lists on the laid-out pages: every person and member prints once, the
// notes stand with at least one row of the list, and no sheet carries only
// the head and the notes.  The persons list keeps to one page up to the
// threshold; committees of 13 + 21k (15 + 22k) members fill whole pages.
TEST(FilledPages, ListsPrintEveryRowAndNeverASheetOfHeadAndNotesAlone)
{
    auto dataRows = [](const report::Page &p, const QString &field) {
        int n = 0;
        for (const auto *e : p.findAll(field))
            n += !e->text.isEmpty();
        return n;
    };
    for (Family fam : {Family::Applied, Family::Basic}) {
        const bool applied = fam == Family::Applied;
        const char *personsPage = applied ? "10" : "8";
        const char *committeePage = applied ? "11" : "9";
        const int pt = output::personsThreshold(fam);
        for (int persons : {0, pt, pt + 1, pt + 2, 40}) {
            Filled f(richPrintRecord(applied, persons, 0));
            const report::Document d = f.preview(fam, personsPage);
            int printed = 0;
            for (const report::Page &p : d.pages) {
                printed += dataRows(p, QStringLiteral("QRDBText2"));
                EXPECT_GE(p.detailRows(), 1) << persons << " persons, page " << p.number;
            }
            EXPECT_EQ(printed, persons);
            if (persons > 0) {
                EXPECT_GE(dataRows(d.pages.back(), QStringLiteral("QRDBText2")), 1) << persons << " persons";
            }
            EXPECT_EQ(d.pageCount() == 1, persons <= pt + 1) << persons << " persons";
            const bool running = d.pageCount() > 1;
            EXPECT_EQ(d.pages[0].find(QStringLiteral("QRSysData1")) != nullptr, running);
            EXPECT_EQ(d.pages[0].find(QStringLiteral("QRpage")) != nullptr, !running);
        }
        const int ct = output::committeeThreshold(fam);
        const int perPage = applied ? 21 : 22;
        for (auto [members, pages] : {std::pair{0, 1}, {ct, 1}, {ct + 1, 2}, {ct + perPage, 2}, {ct + perPage + 1, 3}}) {
            Filled f(richPrintRecord(applied, 0, members));
            const report::Document d = f.preview(fam, committeePage);
            ASSERT_EQ(d.pageCount(), pages) << members << " members";
            int printed = 0;
            for (const report::Page &p : d.pages)
                printed += dataRows(p, QStringLiteral("QRDBText2"));
            EXPECT_EQ(printed, members);
            if (members > 0) {
                EXPECT_GE(dataRows(d.pages.back(), QStringLiteral("QRDBText2")), 1) << members << " members";
            }
            // The last page is ruled down to the notes.
            EXPECT_EQ(d.pages.back().detailRows(), ct) << members << " members";
            if (d.pageCount() > 1) {
                EXPECT_EQ(texts(d.pages.back(), QStringLiteral("QRSysData1")),
                          QStringList{QStringLiteral("%1--%2").arg(applied ? 11 : 9).arg(d.pageCount())});
            }
        }
    }
}

// The check marks of the whole form come from the stored codes and from
// nothing else; an empty record marks no box anywhere.
TEST(FilledPages, EveryCheckMarkOfTheWholeFormFollowsTheStoredCodes)
{
    auto marks = [](Filled &f, Family fam) {
        QStringList out;
        const auto docs = f.pages.wholeForm(fam);
        for (size_t i = 0; i < docs.size(); ++i)
            for (const report::Page &p : docs[i].pages)
                for (const report::PlacedElement &e : p.elements)
                    if (e.text == QStringLiteral("√"))
                        out << PrintPages::pages(fam)[i].label + QLatin1Char(':') + e.name;
        out.sort();
        return out;
    };
    Filled applied(richPrintRecord(true));
    QStringList want = {"3:QL_ITEM_123_3", "3:QL_ITEM_123_7", "3:QL_ITEM_124_1_06", "3:QL_ITEM_125_05",
                        "3:QL_ITEM_125_1_1", "3:QL_ITEM_126_03", "3:QL_ITEM_16_3", "3:QL_ITEM_201_1", "3:QL_ITEM_2_2",
                        "3:QL_ITEM_33_1", "5:QL_ITEM_161_2", "5:QL_ITEM_161_3", "5:QL_ITEM_21_1", "5:QL_ITEM_32_1",
                        "5:QL_ITEM_51_1", "5:QL_ITEM_51_1_3", "5:QL_ITEM_51_3", "5:QL_patent_ty_1", "5:QL_patent_ty_2",
                        "7:QL_ITEM_163_0", "7:QL_ITEM_62_1"};
    want.sort();
    EXPECT_EQ(marks(applied, Family::Applied).join(' ').toStdString(), want.join(' ').toStdString());

    Filled basic(richPrintRecord(false));
    want = {"3:QL_ITEM_125_05", "3:QL_ITEM_126_03", "3:QL_ITEM_200_04", "3:QL_ITEM_201_1", "3:QL_ITEM_210_1",
            "3:QL_ITEM_2_2", "5:QL_ITEM_163_0", "5:QL_ITEM_62_1", "5:QR_ITEM_21_4"};
    want.sort();
    EXPECT_EQ(marks(basic, Family::Basic).join(' ').toStdString(), want.join(' ').toStdString());

    // Refilled for an empty record, and a basic-theory record holding
    // applied-technology codes (evaluation "1", an industry without a box).
    applied.pages.setRecord(emptyPrintRecord(true));
    EXPECT_EQ(marks(applied, Family::Applied).join(' ').toStdString(), std::string());
    output::PrintRecord foreign = richPrintRecord(false);
    foreign.record.set(QStringLiteral("ITEM_21"), QStringLiteral("1"));
    foreign.record.set(QStringLiteral("ITEM_125"), QStringLiteral("06"));
    basic.pages.setRecord(foreign);
    EXPECT_FALSE(marks(basic, Family::Basic).join(' ').contains(QStringLiteral("ITEM_21_")));
    EXPECT_FALSE(marks(basic, Family::Basic).join(' ').contains(QStringLiteral("ITEM_125_")));
}

// After a rich record, an empty one prints no value anywhere: every bound
// value and every fill label of every page of both families is empty, and
// only the fixed texts, frames and page numbers remain.
TEST(FilledPages, AnEmptyRecordPrintsNoValueOnAnyPage)
{
    const QRegularExpression fillLabel(
        QStringLiteral("^(item_|QR_item|QR_ITEM|QR_Tlinkman|QL_|QLL_|QRLabel_|QRLabel44|QRLabel45)"));
    for (bool applied : {true, false}) {
        const Family fam = applied ? Family::Applied : Family::Basic;
        Filled f(richPrintRecord(applied, 30, 20, 10, 12));
        f.pages.wholeForm(fam);
        f.pages.setRecord(emptyPrintRecord(applied));
        const auto docs = f.pages.wholeForm(fam);
        for (const report::Document &d : docs) {
            ASSERT_EQ(d.pageCount(), 1) << qPrintable(d.name);
            for (const report::PlacedElement &e : d.pages[0].elements) {
                const bool value = e.kind == report::Kind::DataText
                                   || (e.kind == report::Kind::RichText && e.name.startsWith(QLatin1String("QRDB")))
                                   || fillLabel.match(e.name).hasMatch();
                // (a wrapped list cell of a blank row holds just its line end)
                if (value) {
                    EXPECT_EQ(e.text.trimmed(), QString()) << qPrintable(d.name) << " " << qPrintable(e.name);
                }
            }
        }
    }
}

// The list fills give the row frames their fixed heights (81, 51 and 45
// pixels of the screen form); on paper every frame spans exactly its row,
// however far a long cell grows it, and none reaches below the last row.
TEST(FilledPages, RowFramesOfTheListsSpanTheirRows)
{
    constexpr double px = 25.4 / 96;
    struct Case {
        bool applied;
        const char *page;
        int first, last, pixels;
        const char *cell;
    };
    for (const Case &c : {Case{true, "10", 11, 19, 81, "QRDBText1"}, Case{false, "8", 11, 19, 81, "QRDBText1"},
                          Case{true, "7", 41, 46, 51, "QRDBText_ITEM_176"}, Case{false, "5", 48, 53, 45, "QRDBText_ITEM_176"}}) {
        const Family fam = c.applied ? Family::Applied : Family::Basic;
        output::PrintRecord rec = richPrintRecord(c.applied, 3, 0, 3);
        rec.persons[0].set(QStringLiteral("ITEM_186"), QString(80, QChar(0x8D21)));     // 160 bytes
        rec.organisations[0].set(QStringLiteral("ITEM_170"), QString(40, QChar(0x9662))); // 80 bytes
        Filled f(rec);
        const report::Document d = f.preview(fam, c.page);
        const report::ReportForm &form = f.pages.fill(fam, PrintPages::indexOf(fam, QString::fromUtf8(c.page)));
        for (int i = c.first; i <= c.last; ++i)
            EXPECT_NEAR(form.find(QStringLiteral("QRShape%1").arg(i))->rect.height(), c.pixels * px, 1e-9) << c.page << " " << i;
        ASSERT_EQ(d.pageCount(), 1);
        const auto cells = d.pages[0].findAll(QLatin1String(c.cell));
        ASSERT_GE(cells.size(), 3u) << c.page;
        EXPECT_GT(cells[0]->rect.height(), c.pixels * px) << c.page; // the long cell grew its row past the frame height
        for (int i = c.first; i <= c.last; ++i) {
            const auto frames = d.pages[0].findAll(QStringLiteral("QRShape%1").arg(i));
            ASSERT_EQ(frames.size(), cells.size()) << c.page << " " << i;
            for (size_t r = 0; r < cells.size(); ++r) {
                EXPECT_NEAR(frames[r]->rect.top(), cells[r]->rect.top(), 1e-6) << c.page << " QRShape" << i << " row " << r;
                EXPECT_NEAR(frames[r]->rect.bottom(), cells[r]->rect.bottom(), 1e-6) << c.page << " QRShape" << i << " row " << r;
            }
        }
    }
    // A record without organisations leaves the basic-theory frames as laid out.
    Filled none(emptyPrintRecord(false));
    const report::ReportForm &p5 = none.pages.fill(Family::Basic, PrintPages::indexOf(Family::Basic, QStringLiteral("5")));
    EXPECT_LT(p5.find(QStringLiteral("QRShape48"))->rect.height(), 45 * px);
}

TEST(FilledPages, PdfOfFilledPagesReadsBackWithChineseText)
{
    Filled f(richPrintRecord(true, 20, 3));
    const report::Document cover = f.preview(Family::Applied, "封面1");
    const report::Document p3 = f.preview(Family::Applied, "3");
    const report::Document p10 = f.direct(Family::Applied, "10");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("pages.pdf"));
    ASSERT_TRUE(report::writePdf({&cover, &p3, &p10}, pdf));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).remove(QLatin1Char(' '));
    for (const char *s : {"科技成果登记表", "高寒地区复合材料桥面铺装关键技术研究与应用", "青岚应用技术研究院", "复合材料",
                          "成果完成人员名单", "王建国", "6--1", "6--2"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
}

// Nothing printed reaches past its box on any page of either family, for the
// rich record with long list cells and for the empty one.
TEST(FilledPages, NothingOnAnyPageIsClipped)
{
    for (bool applied : {true, false}) {
        const Family fam = applied ? Family::Applied : Family::Basic;
        output::PrintRecord rich = richPrintRecord(applied, 25, 30, 10, 14);
        rich.organisations[0].set(QStringLiteral("ITEM_171"), QString(60, QChar(0x8DEF)));
        rich.persons[0].set(QStringLiteral("ITEM_185"), QString(50, QChar(0x6240)));
        for (const output::PrintRecord &rec : {rich, emptyPrintRecord(applied)}) {
            Filled f(rec);
            for (const report::Document &d : f.pages.wholeForm(fam))
                for (const report::Page &p : d.pages)
                    for (const report::PlacedElement &e : p.elements) {
                        EXPECT_FALSE(e.overflow) << qPrintable(d.name) << " page " << p.number << ": "
                                                 << qPrintable(e.name) << " " << qPrintable(e.text.left(30));
                        EXPECT_LE(e.rect.bottom(), 297.0 - 9.9) << qPrintable(d.name) << " " << qPrintable(e.name);
                    }
        }
    }
}
