#include "report/layout.h"
#include "report/render.h"

#include <QImage>
#include <QRegularExpression>
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
    const Document wrapped = layout(g);
    const PlacedElement *cell = wrapped.pages[0].find(QStringLiteral("Name"));
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

    // Rows that leave no room for the summary: the last row goes over with
    // it, under the header, with the footer and the overlay again; a page
    // never carries the summary alone.
    MemDataset full;
    addRows(full, 22);
    ReportForm g = listForm(full);
    g.addBand(BandKind::Summary, 30).atPageFoot = true;
    g.band(BandKind::Summary)->label(QStringLiteral("Notes"), {0, 0, 190, 30}, QStringLiteral("说明"));
    g.overlay().label(QStringLiteral("Everywhere"), {0, 0, 40, 6}, QStringLiteral("x"));
    Document two = layout(g);
    ASSERT_EQ(two.pageCount(), 2);
    EXPECT_EQ(two.pages[0].detailRows(), 21);
    EXPECT_EQ(two.pages[1].detailRows(), 1);
    EXPECT_EQ(two.pages[1].find(QStringLiteral("Name"))->row, 21);
    EXPECT_NEAR(two.pages[1].find(QStringLiteral("Name"))->rect.top(), 30.0, 1e-6);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Notes")), nullptr);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Head")), nullptr);
    EXPECT_NE(two.pages[1].find(QStringLiteral("Everywhere")), nullptr);
    EXPECT_EQ(two.pages[1].text(QStringLiteral("QRSysData1")), QStringLiteral("10--2"));
}

// Padding rows fill out a page's ruled lines but never start a sheet, and
// leave room for the summary.
TEST(ReportLayout, PaddingRowsOnlyFillTheRoomLeft)
{
    auto form = [](MemDataset &ds, bool withNotes) {
        ReportForm f = listForm(ds);
        if (withNotes)
            f.addBand(BandKind::Summary, 30).label(QStringLiteral("Notes"), {0, 0, 190, 30}, QStringLiteral("说明"));
        return f;
    };
    // 24 rows fill a page: 20 with 10 padding rows stay on one page.
    MemDataset ds;
    addRows(ds, 20);
    for (int i = 0; i < 10; ++i)
        ds.addPadding();
    EXPECT_TRUE(ds.isPadding(20));
    EXPECT_FALSE(ds.isPadding(19));
    EXPECT_EQ(ds.value(25, QStringLiteral("ITEM_180")), QString());
    Document d = layout(form(ds, false));
    ASSERT_EQ(d.pageCount(), 1);
    EXPECT_EQ(d.pages[0].detailRows(), 24);
    // With 30 mm of notes, 21 rows fit: one padding row, then the notes.
    d = layout(form(ds, true));
    ASSERT_EQ(d.pageCount(), 1);
    EXPECT_EQ(d.pages[0].detailRows(), 21);
    EXPECT_NE(d.pages[0].find(QStringLiteral("Notes")), nullptr);
    // Only padding: the rows that fit.
    MemDataset blank;
    for (int i = 0; i < 40; ++i)
        blank.addPadding();
    d = layout(form(blank, true));
    ASSERT_EQ(d.pageCount(), 1);
    EXPECT_EQ(d.pages[0].detailRows(), 21);
}

// A stretching text in a one-band page grows its row and moves everything
// below it; frames and title cells reaching across the row's foot grow too.
TEST(ReportLayout, GrowingRowMovesWhatLiesBelow)
{
    ReportForm f(QStringLiteral("table"));
    Band &b = f.addBand(BandKind::Title, 40);
    b.framed(QStringLiteral("TitleCell"), {0, 0, 30, 20}, QStringLiteral("专利"));
    Element &name = b.label(QStringLiteral("Name"), {30, 0, 60, 10}, QStringLiteral("一\r二\r三\r四"));
    name.frame = AllSides;
    name.stretch = true;
    b.label(QStringLiteral("Number"), {90, 0, 40, 10}, QStringLiteral("ZL2021"));
    b.label(QStringLiteral("Next"), {30, 10, 60, 10}, QStringLiteral("下一行"));
    b.line(QStringLiteral("Rule"), {0, 20}, {130, 20});
    b.line(QStringLiteral("Side"), {130, 0}, {130, 20});
    f.addBand(BandKind::Summary, 7).label(QStringLiteral("QRPage"), {0, 0, 190, 7}, QStringLiteral("5"));
    const Page p = layout(f).pages[0];
    const double grow = 4 * lineHeight(Font{}) + 2 * kTextPadding - 10;
    ASSERT_GT(grow, 5);
    EXPECT_NEAR(p.find(QStringLiteral("Name"))->rect.height(), 10 + grow, 1e-6);
    EXPECT_FALSE(p.find(QStringLiteral("Name"))->overflow);
    EXPECT_NEAR(p.find(QStringLiteral("Number"))->rect.height(), 10 + grow, 1e-6);   // the same row
    EXPECT_NEAR(p.find(QStringLiteral("TitleCell"))->rect.height(), 20 + grow, 1e-6);
    EXPECT_NEAR(p.find(QStringLiteral("Next"))->rect.top(), 20 + grow, 1e-6);
    EXPECT_NEAR(p.find(QStringLiteral("Rule"))->rect.top(), 30 + grow, 1e-6);
    EXPECT_NEAR(p.find(QStringLiteral("Side"))->rect.bottom(), 30 + grow, 1e-6);
    EXPECT_NEAR(p.find(QStringLiteral("QRPage"))->rect.top(), 50 + grow, 1e-6);
}

// A text too long for its box is set smaller down to its floor; what the
// floor cannot hold wraps and grows the row, or, in a box that may not grow,
// is left out and named.
TEST(ReportLayout, TextsShrinkToTheirFloorThenWrapOrAreNamedAsCut)
{
    const QString name = QString(30, QChar(0x7814));   // 30 double-byte characters
    ReportForm f(QStringLiteral("fit"));
    Band &b = f.addBand(BandKind::Title, 100);
    const double wide = textWidth(name, Font{QStringLiteral("宋体"), 7.5, false}) + 2 * kTextPadding + 0.1;
    Element &shrink = b.label(QStringLiteral("Shrink"), {0, 0, wide, 6}, name);
    shrink.minFontSize = 7;
    Element &grow = b.label(QStringLiteral("Grow"), {0, 10, wide / 2, 6}, name);
    grow.minFontSize = 7;
    grow.stretch = true;
    grow.frame = AllSides;
    Element &box = b.rich(QStringLiteral("Box"), {0, 30, 40, 12}, QStringLiteral("ITEM_13_1"));
    box.minFontSize = 7;
    box.caption = QStringLiteral("成果简介");
    b.label(QStringLiteral("Fixed"), {0, 50, 20, 6}, QStringLiteral("固定的标题文字"));
    Record r;
    r.set(QStringLiteral("ITEM_13_1"), name.repeated(10));
    f.setRecord(r);
    Document d = layout(f);
    const Page &p = d.pages[0];

    const PlacedElement *s = p.find(QStringLiteral("Shrink"));
    EXPECT_EQ(s->lines, QStringList{name});
    EXPECT_DOUBLE_EQ(s->font.size, 7.5);
    EXPECT_FALSE(s->overflow);

    const PlacedElement *g = p.find(QStringLiteral("Grow"));
    EXPECT_EQ(g->lines.join(QString()), name);
    EXPECT_EQ(g->lines.size(), 2);
    EXPECT_FALSE(g->overflow);
    EXPECT_GT(g->rect.height(), 6);
    EXPECT_NEAR(p.find(QStringLiteral("Box"))->rect.top(), 10 + 30 + g->rect.height() - 6, 1e-6); // under the margin

    const PlacedElement *x = p.find(QStringLiteral("Box"));
    EXPECT_DOUBLE_EQ(x->font.size, 7);
    EXPECT_TRUE(x->overflow);
    EXPECT_EQ(x->lines.join(QString()) + x->cut, name.repeated(10));
    const std::vector<Cut> c = cuts(d);
    ASSERT_EQ(c.size(), 1u);   // the fixed label is not a value
    EXPECT_EQ(c[0].caption, QStringLiteral("成果简介"));
    EXPECT_EQ(c[0].element, QStringLiteral("Box"));
    EXPECT_EQ(c[0].page, 1);
    EXPECT_EQ(c[0].characters, int(x->cut.size()));
    EXPECT_GT(c[0].characters, 100);
    EXPECT_TRUE(p.find(QStringLiteral("Fixed"))->overflow);
}

// Lines break as Chinese print sets them.
TEST(ReportLayout, LinesBreakAsChinesePrintSetsThem)
{
    const Font font;
    const double em = textWidth(QStringLiteral("中"), font);
    auto lines = [&](const QString &t, double chars) { return breakLines(t, font, chars * em + 0.01, true); };
    // No line begins with closing punctuation: the character before it goes
    // down with it.
    EXPECT_EQ(lines(QStringLiteral("一二三四。五六"), 4), (QStringList{"一二三", "四。五六"}));
    EXPECT_EQ(lines(QStringLiteral("一二三四”，五"), 4), (QStringList{"一二三", "四”，五"}));
    // None ends with an opening bracket.
    EXPECT_EQ(lines(QStringLiteral("一二三《四》"), 4), (QStringList{"一二三", "《四》"}));
    // Numbers and Latin words stay whole.
    const QStringList date = lines(QStringLiteral("日期为20/03"), 5);
    EXPECT_EQ(date.last(), QStringLiteral("20/03"));
    const QStringList amounts = lines(QStringLiteral("收入1234567元，利润7654321元"), 6);
    EXPECT_GT(amounts.size(), 2);
    for (const QString &l : amounts) {
        auto it = QRegularExpression(QStringLiteral("\\d+")).globalMatch(l);
        while (it.hasNext())
            EXPECT_EQ(it.next().capturedLength(), 7) << l.toStdString();
    }
    const QStringList words = lines(QStringLiteral("alpha beta gamma"), 4);
    for (const QString &w : words)
        EXPECT_TRUE(QStringList({"alpha", "beta", "gamma", "alpha beta", "beta gamma"}).contains(w)) << w.toStdString();
    // Brackets that must stay with what follows, wider than a line with it,
    // are split too rather than pass the side.
    const double narrow = textWidth(QStringLiteral("x《《"), font) + 0.01;
    for (const QString &l : breakLines(QStringLiteral("x《《三"), font, narrow, true))
        EXPECT_LE(textWidth(l, font), narrow) << l.toStdString();
    // A word wider than a line is split, as it must be.
    const QString longWord = QStringLiteral("Pneumonoultramicroscopicsilicovolcanoconiosis");
    const QStringList split = lines(longWord, 5);
    EXPECT_GT(split.size(), 1);
    EXPECT_EQ(split.join(QString()), longWord);
    for (const QString &l : split)
        EXPECT_LE(textWidth(l, font), 5 * em + 0.01);
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
