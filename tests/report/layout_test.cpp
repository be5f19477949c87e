#include "report/layout.h"
#include "report/render.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace report;

namespace {

// A list form: 20 mm header, 10 mm rows, 10 mm footer, 10 mm margins.
// The body holds 297 - 20 - 10 = 267 mm: 24 rows under the header.
ReportForm listForm(MemDataset &rows)
{
    ReportForm f(QStringLiteral("list"));
    Band &head = f.addBand(BandKind::ColumnHeader, 20);
    head.label(QStringLiteral("Head"), {0, 0, 190, 20}, QStringLiteral("成果完成人员名单"),
               {QStringLiteral("黑体"), 12, true}, Qt::AlignCenter);
    Band &detail = f.addBand(BandKind::Detail, 10, QStringLiteral("Rows"));
    Element &cell = detail.data(QStringLiteral("Name"), {0, 0, 40, 10}, QStringLiteral("ITEM_180"),
                                QStringLiteral("Rows"));
    cell.frame = AllSides;
    cell.stretch = true;
    cell.wordWrap = true;
    detail.data(QStringLiteral("Unit"), {40, 0, 60, 10}, QStringLiteral("ITEM_185"), QStringLiteral("Rows"))
        .followBand = true;
    Band &foot = f.addBand(BandKind::PageFooter, 10);
    foot.pageNumber(QStringLiteral("QRSysData1"), {0, 0, 190, 10}, QStringLiteral("10--"));
    foot.label(QStringLiteral("QRpage"), {0, 0, 190, 10}, QStringLiteral("10"));
    f.setDataset(QStringLiteral("Rows"), &rows);
    return f;
}

void addRows(MemDataset &ds, int n, const QString &name = QStringLiteral("张三"))
{
    for (int i = 0; i < n; ++i) {
        ds.append();
        ds.setField(QStringLiteral("ITEM_180"), name);
        ds.post();
    }
}

} // namespace

TEST(ReportLayout, ListPagesFollowBandHeightsAndRepeatHeaderAndFooter)
{
    for (auto [rows, pages] : {std::pair{0, 1}, {1, 1}, {24, 1}, {25, 2}, {48, 2}, {49, 3}}) {
        MemDataset ds({QStringLiteral("ITEM_180"), QStringLiteral("ITEM_185")});
        addRows(ds, rows);
        ReportForm f = listForm(ds);
        Document doc = layout(f);
        ASSERT_EQ(doc.pageCount(), pages) << rows << " rows";
        int total = 0;
        for (const Page &p : doc.pages) {
            EXPECT_EQ(p.text(QStringLiteral("Head")), QStringLiteral("成果完成人员名单"));
            EXPECT_EQ(p.text(QStringLiteral("QRSysData1")), QStringLiteral("10--%1").arg(p.number));
            const PlacedElement *foot = p.find(QStringLiteral("QRpage"));
            ASSERT_NE(foot, nullptr);
            EXPECT_DOUBLE_EQ(foot->rect.top(), 277.0);
            total += p.detailRows();
        }
        EXPECT_EQ(total, rows);
    }
}

TEST(ReportLayout, StretchingCellGrowsItsRowAndFollowersAndMovesLaterRows)
{
    MemDataset ds;
    ds.append();
    ds.setField(QStringLiteral("ITEM_180"), QStringLiteral("第一行\r第二行\r第三行\r"));
    ds.post();
    addRows(ds, 1);
    ReportForm f = listForm(ds);
    Document doc = layout(f);
    ASSERT_EQ(doc.pageCount(), 1);
    const Page &p = doc.pages[0];
    auto names = p.findAll(QStringLiteral("Name"));
    auto units = p.findAll(QStringLiteral("Unit"));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0]->lines, (QStringList{"第一行", "第二行", "第三行"}));
    const double three = 3 * lineHeight(Font{}) + 2 * kTextPadding;
    EXPECT_NEAR(names[0]->rect.height(), three, 1e-6);
    EXPECT_NEAR(units[0]->rect.height(), three, 1e-6); // follows the band
    EXPECT_NEAR(names[1]->rect.top(), names[0]->rect.bottom(), 1e-6);
    EXPECT_NEAR(names[1]->rect.height(), 10.0, 1e-6);
    EXPECT_FALSE(names[0]->overflow);

    // A long single line wraps inside the cell width and grows the row too.
    MemDataset wide;
    addRows(wide, 1, QString(30, QChar(0x4E2D)));
    ReportForm g = listForm(wide);
    const PlacedElement *cell = layout(g).pages[0].find(QStringLiteral("Name"));
    ASSERT_NE(cell, nullptr);
    EXPECT_GT(cell->lines.size(), 2);
    EXPECT_FALSE(cell->overflow);
    EXPECT_EQ(cell->lines.join(QString()), QString(30, QChar(0x4E2D)));

    // A cell that may not grow reports the lines it cannot hold.
    g.find(QStringLiteral("Name"))->stretch = false;
    EXPECT_TRUE(layout(g).pages[0].find(QStringLiteral("Name"))->overflow);
    g.find(QStringLiteral("Name"))->wordWrap = false;
    EXPECT_TRUE(layout(g).pages[0].find(QStringLiteral("Name"))->overflow);
}

// A row frame given a fixed height taller than the row ends with the row;
// when the row grows past that height the frame still reaches its bottom.
TEST(ReportLayout, RowFramesEndWithTheirRow)
{
    MemDataset ds;
    ds.append();
    ds.setField(QStringLiteral("ITEM_180"), QStringLiteral("一\r二\r三\r四\r五\r六\r七\r八\r九\r"));
    ds.post();
    addRows(ds, 2);
    ReportForm f = listForm(ds);
    Band &detail = *f.band(BandKind::Detail);
    detail.box(QStringLiteral("Frame"), {100, 0, 20, 10}).followBand = true;
    ASSERT_TRUE(f.setHeight(QStringLiteral("Frame"), 21.4));
    EXPECT_FALSE(f.setHeight(QStringLiteral("NoSuch"), 5));
    EXPECT_DOUBLE_EQ(f.find(QStringLiteral("Frame"))->rect.height(), 21.4);
    const Page p = layout(f).pages[0];
    const auto frames = p.findAll(QStringLiteral("Frame"));
    const auto names = p.findAll(QStringLiteral("Name"));
    ASSERT_EQ(frames.size(), 3u);
    ASSERT_GT(names[0]->rect.height(), 30.0); // nine lines: past the frame's own height
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(frames[i]->rect.top(), names[i]->rect.top(), 1e-6) << i;
        EXPECT_NEAR(frames[i]->rect.bottom(), names[i]->rect.bottom(), 1e-6) << i;
    }
    // A frame in a one-band page is not a row: it keeps its size.
    ReportForm one(QStringLiteral("one"));
    one.addBand(BandKind::Title, 10).box(QStringLiteral("Box"), {0, 0, 50, 40});
    EXPECT_DOUBLE_EQ(layout(one).pages[0].find(QStringLiteral("Box"))->rect.height(), 40.0);
}

TEST(ReportLayout, SummaryAtFootHandlersVisibilityAndOverlay)
{
    MemDataset ds;
    addRows(ds, 3);
    ReportForm f = listForm(ds);
    Band &sum = f.addBand(BandKind::Summary, 30);
    sum.atPageFoot = true;
    sum.label(QStringLiteral("Notes"), {0, 0, 190, 30}, QStringLiteral("填写说明："));
    f.overlay().label(QStringLiteral("Everywhere"), {150, 0, 40, 6}, QStringLiteral("（续表）"));
    f.find(QStringLiteral("Name"))->beforePrint = [](QString &t) { t = QStringLiteral("<") + t + QStringLiteral(">"); };
    f.setVisible(QStringLiteral("QRSysData1"), false);

    Document doc = layout(f);
    ASSERT_EQ(doc.pageCount(), 1);
    const Page &p = doc.pages[0];
    EXPECT_DOUBLE_EQ(p.find(QStringLiteral("Notes"))->rect.bottom(), 277.0);
    EXPECT_EQ(p.find(QStringLiteral("QRSysData1")), nullptr);
    EXPECT_EQ(p.text(QStringLiteral("Name")), QStringLiteral("<张三>"));
    EXPECT_DOUBLE_EQ(p.find(QStringLiteral("Everywhere"))->rect.top(), 10.0);

    // Rows that leave no room for the summary push it onto a page of its own,
    // with the header, the footer and the overlay again.
    MemDataset full;
    addRows(full, 22);
    ReportForm g = listForm(full);
    g.addBand(BandKind::Summary, 30).atPageFoot = true;
    g.band(BandKind::Summary)->label(QStringLiteral("Notes"), {0, 0, 190, 30}, QStringLiteral("说明"));
    g.overlay().label(QStringLiteral("Everywhere"), {0, 0, 40, 6}, QStringLiteral("x"));
    Document two = layout(g);
    ASSERT_EQ(two.pageCount(), 2);
    EXPECT_EQ(two.pages[1].detailRows(), 0);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Notes")), nullptr);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Head")), nullptr);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Everywhere")), nullptr);
    EXPECT_EQ(two.pages[1].text(QStringLiteral("QRSysData1")), QStringLiteral("10--2"));
}

TEST(ReportLayout, RecordFieldsAndDatasetOperations)
{
    ReportForm f(QStringLiteral("one"));
    f.margins = {20, 20, 20, 20};
    Band &b = f.addBand(BandKind::Title, 50);
    b.data(QStringLiteral("ITEM_3"), {0, 0, 170, 8}, QStringLiteral("item_3"));
    b.rich(QStringLiteral("ITEM_13_1"), {0, 10, 170, 30}, QStringLiteral("ITEM_13_1"));
    Record r;
    r.set(QStringLiteral("ITEM_3"), QStringLiteral("新型复合材料"));
    r.set(QStringLiteral("item_13_1"), QStringLiteral("第一段\n第二段"));
    f.setRecord(r);
    Document doc = layout(f);
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.pages[0].text(QStringLiteral("ITEM_3")), QStringLiteral("新型复合材料"));
    EXPECT_DOUBLE_EQ(doc.pages[0].find(QStringLiteral("ITEM_3"))->rect.left(), 20.0);
    EXPECT_EQ(doc.pages[0].find(QStringLiteral("ITEM_13_1"))->lines.size(), 2);

    MemDataset ds({QStringLiteral("A")});
    ds.append();
    EXPECT_THROW(ds.setField(QStringLiteral("B"), QStringLiteral("x")), std::invalid_argument);
    ds.setField(QStringLiteral("a"), QStringLiteral("x"));
    EXPECT_EQ(ds.rowCount(), 0); // not posted yet
    ds.post();
    EXPECT_EQ(ds.value(0, QStringLiteral("A")), QStringLiteral("x"));
    EXPECT_EQ(ds.value(5, QStringLiteral("A")), QString());
    ds.empty();
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_FALSE(f.setText(QStringLiteral("nothing"), QStringLiteral("x")));
}

TEST(ReportRender, PdfCarriesChineseTextAndBadCharactersDoNotStopIt)
{
    QTemporaryDir dir;
    MemDataset ds;
    addRows(ds, 30);
    ds.append();
    // An unpaired surrogate and control bytes, as a damaged field can give.
    ds.setField(QStringLiteral("ITEM_180"), QString(QChar(0xD800)) + QStringLiteral("\x01坏\x7f"));
    ds.post();
    ReportForm f = listForm(ds);
    Document doc = layout(f);
    ASSERT_EQ(doc.pageCount(), 2);
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    QString error;
    ASSERT_TRUE(writePdf(doc, pdf, &error)) << error.toStdString();

    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(text.count(QStringLiteral("成果完成人员名单")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("张三")));
    EXPECT_TRUE(text.contains(QStringLiteral("10--1")));
    EXPECT_TRUE(text.contains(QStringLiteral("10--2")));
    EXPECT_TRUE(text.contains(QStringLiteral("坏")));
    EXPECT_EQ(text.count(QChar(0x000C)), 2); // two pages

    EXPECT_FALSE(writePdf(doc, dir.filePath(QStringLiteral("no/such/folder/x.pdf")), &error));

    QImage img = renderImage(doc, 0, 50);
    EXPECT_EQ(img.width(), 413);
    // Something dark was drawn where the header stands.
    bool ink = false;
    for (int x = 0; x < img.width() && !ink; ++x)
        for (int y = 20; y < 60 && !ink; ++y)
            ink = qGray(img.pixel(x, y)) < 128;
    EXPECT_TRUE(ink);
}
