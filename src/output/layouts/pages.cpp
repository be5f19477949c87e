#include "pages.h"

#include "output/pages/wrap.h"
#include "pagekit.h"
#include "report/layout.h"

#include <QRegularExpression>

#include <stdexcept>

using report::AllSides;
using report::Band;
using report::BandKind;
using report::Element;
using report::Font;
using report::ReportForm;

namespace layouts {
namespace {

bool applied(FormFamily f) { return f == FormFamily::Applied; }
QString fam(FormFamily f) { return applied(f) ? QStringLiteral("yy") : QStringLiteral("rj"); }

ReportForm newForm(const QString &instance, double margin)
{
    ReportForm f(instance);
    f.margins = {margin, margin, margin, margin};
    return f;
}

// A one-band page: the band fills the printable area.
Band &pageBand(ReportForm &f) { return f.addBand(BandKind::Title, f.contentHeight()); }

// The fixed page number at the foot of a one-band page.
void footNumber(ReportForm &f, Band &b, Names &n, const QString &number)
{
    b.label(n.label(), {0, f.contentHeight() - 6, f.contentWidth(), 6}, number, song(9), Qt::AlignCenter);
}

// A page of notes from a fixed-text file.
ReportForm notesPage(const QString &instance, double margin, const QString &file, const QString &number,
                     const std::function<void(Flow &, const QString &)> &value = {}, double bodySize = 9,
                     double sectionSize = 11, double titleColumn = 0)
{
    ReportForm f = newForm(instance, margin);
    Names n;
    Band &b = pageBand(f);
    Flow flow(b, n, 0, 0, f.contentWidth());
    flow.body = song(bodySize);
    flow.titleFont = song(bodySize, true);
    flow.sectionFont = song(sectionSize, true);
    flow.titleColumn = titleColumn;
    flow.entries(fixedText(file), [&](const QString &name) {
        if (value)
            value(flow, name);
    });
    if (!number.isEmpty())
        footNumber(f, b, n, number);
    return f;
}

// A value of the record.  One that does not fit its cell is set smaller
// down to the legible floor, then wraps and grows its row.
Element &valueCell(Element &e, const QString &caption)
{
    e.wordWrap = true;
    e.stretch = true;
    e.minFontSize = kValueFloor;
    e.caption = caption;
    return e;
}

// A value bound to the record.
Element &bound(Band &b, const QString &field, const QRectF &r, const Font &font = song(10),
               Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, const QString &caption = {})
{
    return valueCell(b.data(QStringLiteral("QRDBText_") + field, r, field, QString(), font, align), caption);
}

// A fill label: named after what it shows, empty until its fill sets it.
Element &fill(Band &b, const QString &name, const QRectF &r, const Font &font = song(10),
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, const QString &caption = {})
{
    return valueCell(b.label(name, r, QString(), font, align), caption);
}

// What the person calls a row: its title without the number in front, the
// unit behind or a second line.
QString captionOf(const QString &title)
{
    QString c = title;
    c.remove(QLatin1Char('\n'));
    static const QRegularExpression number(QStringLiteral("^\\s*\\d+\\s*[．.]\\s*"));
    static const QRegularExpression unit(QStringLiteral("[（(][^（()）]*[)）]\\s*$"));
    c.remove(number);
    c.remove(unit);
    c = c.trimmed();
    while (c.endsWith(QStringLiteral("：")) || c.endsWith(QLatin1Char(':')))
        c.chop(1);
    return c;
}

// The framed block of the form's issuing and approving offices.
void officeBlock(Band &b, const QRectF &r, FormFamily family, bool cover)
{
    const QString number = applied(family) ? QStringLiteral("CG-002") : QStringLiteral("CG-001");
    const QString colon = cover && applied(family) ? QStringLiteral(":") : QStringLiteral("：");
    QString valid = fixedValue(QStringLiteral("cover.txt"), QStringLiteral("validUntil"));
    if (!cover && applied(family))
        valid += QLatin1Char(' ');
    const QStringList lines = {
        QStringLiteral("制表机关：") + fixedValue(QStringLiteral("cover.txt"), QStringLiteral("ministryShort")),
        QStringLiteral("批准机关：") + fixedValue(QStringLiteral("cover.txt"), QStringLiteral("bureauShort")),
        QStringLiteral("批准文号："),
        QStringLiteral("表    号") + colon + number,
        valid,
    };
    b.box(QStringLiteral("QRShapeOffices"), r);
    b.label(QStringLiteral("QRLabelOffices"), r.adjusted(2, 0, -1, 0), lines.join(QLatin1Char('\n')), fang(9, true),
            Qt::AlignLeft | Qt::AlignVCenter);
}

QString subtitle(FormFamily family)
{
    return applied(family) ? QStringLiteral("（应用技术类成果）") : QStringLiteral("（基础理论、软科学类成果）");
}

QRectF inset(const QRectF &r, double dx = 1) { return r.adjusted(dx, 0, -dx, 0); }

// ---------------------------------------------------------------------------
// A table page: a title column on the left, the values on the right, rows
// ruled one under another.
class Table {
public:
    Table(Band &band, Names &names, double x, double top, double width, double titleWidth)
        : b(band), n(names), x0(x), y(top), w(width), tw(titleWidth)
    {}

    Band &b;
    Names &n;
    double x0, y, w, tw;
    Font titleFont = song(11);

    double vx() const { return x0 + tw; }
    double vw() const { return w - tw; }
    // The caption of the last row begun.
    QString caption() const { return m_caption; }

    // A heading row across the table.
    void heading(const QString &text, double h = 7, const QString &note = {})
    {
        cell(b, n, {x0, y, w, h}, QString(), song(9));
        const double split = note.isEmpty() ? w : w * 0.52;
        b.label(n.label(), {x0, y, split, h}, text, hei(12, true), Qt::AlignCenter);
        if (!note.isEmpty())
            b.label(n.label(), {x0 + split, y, w - split, h}, note, song(9, true), Qt::AlignLeft | Qt::AlignVCenter);
        y += h;
    }
    // A row: its title cell and its framed value cell; returns the value rect.
    QRectF row(const QString &title, double h, const QString &note = {})
    {
        m_caption = captionOf(title);
        cell(b, n, {x0, y, tw, h}, QString());
        if (note.isEmpty()) {
            cell(b, n, {x0, y, tw, h}, title, titleFont, Qt::AlignLeft | Qt::AlignVCenter, report::NoSides);
        } else {
            b.rich(n.label(), {x0, y + 0.5, tw, h - 6.5}, QString(), title, titleFont).align = Qt::AlignLeft | Qt::AlignVCenter;
            b.label(n.label(), {x0, y + h - 6.2, tw, 6}, note, kai(10), Qt::AlignCenter);
        }
        const QRectF v(vx(), y, vw(), h);
        cell(b, n, v, QString());
        y += h;
        return v;
    }
    // A row of two value halves, each with a title of its own.
    std::pair<QRectF, QRectF> pairRow(const QString &t1, const QString &t2, double h = 7, double split = 0.5,
                                      double t2w = 26)
    {
        const QRectF v = row(t1, h);
        const double mid = v.left() + v.width() * split;
        cell(b, n, {mid, y - h, t2w, h}, t2, titleFont, Qt::AlignCenter);
        m_second = captionOf(t2);
        return {QRectF(v.left(), v.top(), mid - v.left(), h), QRectF(mid + t2w, v.top(), v.right() - mid - t2w, h)};
    }
    // The caption of the second half of the last pair row.
    QString secondCaption() const { return m_second; }
    // A row holding one value: bound to the record, or a fill label.
    Element &boundRow(const QString &title, double h, const QString &field, const Font &font = song(10))
    {
        const QRectF r = inset(row(title, h));
        return bound(b, field, r, font, Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    }
    Element &fillRow(const QString &title, double h, const QString &name, const Font &font = song(10),
                     const QString &note = {})
    {
        const QRectF r = inset(row(title, h, note));
        return fill(b, name, r, font, Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    }

private:
    QString m_caption, m_second;
};


// Check-box lines of a field in a value cell.
void boxesIn(Band &b, Names &n, FormFamily family, const QString &field, const QRectF &r, double lineH = 5.5,
             const Font &font = song(9), double gap = 3)
{
    const CheckItem &item = checkItem(family, field);
    const double used = item.lines.size() * lineH;
    checkLines(b, n, item, r.left() + 1.5, r.top() + (r.height() - used) / 2, lineH, font, gap);
}

// Numbered fill labels ("①" ...) across a value cell.
void numberedFills(Band &b, Names &n, const QRectF &r, const QString &caption, const QStringList &names,
                   const Font &font = song(10))
{
    static const QStringList marks = {QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③")};
    const double part = r.width() / names.size();
    for (int i = 0; i < names.size(); ++i) {
        const double x = r.left() + i * part;
        b.label(n.label(), {x + 0.5, r.top(), 6, r.height()}, marks[i], song(10));
        fill(b, names[i], {x + 6.5, r.top(), part - 7, r.height()}, font, Qt::AlignLeft | Qt::AlignVCenter,
             caption + marks[i]);
        if (i > 0)
            b.line(n.shape(), {x, r.top()}, {x, r.bottom()});
    }
}

// The funding grid: twelve columns under a two-level head, one row of values.
void fundingGrid(Band &b, Names &n, FormFamily family, const QRectF &r)
{
    struct Col { QString head; QString field; };
    const QString total = applied(family) ? QStringLiteral("总计") : QStringLiteral("合计");
    const QList<Col> cols = {{total, "ITEM_149"}, {"国家投入", "ITEM_141"}, {"部门投入", "ITEM_148"},
                             {"合计", "ITEM_142"}, {"省级投入", "ITEM_142_1"}, {"地级投入", "ITEM_142_2"},
                             {"县级投入", "ITEM_142_3"}, {"基金投入", "ITEM_143"}, {"自有资金", "ITEM_144"},
                             {"银行贷款", "ITEM_243"}, {"国外资金", "ITEM_244"}, {"其他", "ITEM_145"}};
    const double cw = r.width() / cols.size();
    const double h1 = 6, h2 = 9, hv = r.height() - h1 - h2;
    const Font head = song(8);
    for (int i = 0; i < cols.size(); ++i) {
        const double x = r.left() + i * cw;
        const bool local = i >= 3 && i <= 6;
        if (!local)
            cell(b, n, {x, r.top(), cw, h1 + h2}, cols[i].head, head);
        else
            cell(b, n, {x, r.top() + h1, cw, h2}, cols[i].head, head);
        bound(b, cols[i].field, {x, r.top() + h1 + h2, cw, hv}, song(9), Qt::AlignCenter,
              QStringLiteral("经费实际投入额（") + cols[i].head + QStringLiteral("）")).frame = AllSides;
    }
    cell(b, n, {r.left() + 3 * cw, r.top(), 4 * cw, h1}, QStringLiteral("地方投入"), head);
}

// The whole Chinese characters a wrapped line of so many GBK bytes holds.
int charsPerLine(int bytes) { return bytes / 2; }

} // namespace

WrapWidths wrapWidths(FormFamily family)
{
    return applied(family) ? WrapWidths{24, 24, 24, 26} : WrapWidths{20, 20, 22, 24};
}

// ---------------------------------------------------------------------------
// Covers

ReportForm buildCover(FormFamily family)
{
    ReportForm f = newForm(fam(family) + QStringLiteral("fm1"), 20);
    Names n;
    Band &b = pageBand(f);
    const double W = f.contentWidth();
    const QString cover = QStringLiteral("cover.txt");
    b.framed(n.label(), {0, 0, W, 9},
             fixedValue(cover, QStringLiteral("notice1")) + QLatin1Char('\n') + fixedValue(cover, QStringLiteral("notice2")),
             song(8), Qt::AlignLeft | Qt::AlignVCenter);
    officeBlock(b, {W - 58, 14, 58, 26}, family, true);
    b.label(n.label(), {0, 52, W, 14}, QStringLiteral("科 技 成 果 登 记 表"), song(26, true), Qt::AlignCenter);
    b.label(n.label(), {0, 68, W, 9}, subtitle(family), kai(16), Qt::AlignCenter);

    const Font tf = song(12), vf = song(11);
    double y = 92;
    const double tx = 12, vx = 50, vw = W - vx - 6;
    auto rule = [&](double x1, double x2, double yy) { b.line(n.shape(), {x1, yy}, {x2, yy}); };
    auto item = [&](const QString &title) {
        b.label(n.label(), {tx, y, vx - tx, 8}, title, tf);
    };
    // Name and first organisation hold up to 140 bytes: three lines.
    item(QStringLiteral("成果名称:"));
    bound(b, QStringLiteral("ITEM_3"), {vx, y - 1, vw, 16}, vf, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("成果名称"));
    rule(vx, vx + vw, y + 15);
    y += 20;
    item(QStringLiteral("第一完成单位："));
    b.label(n.label(), {tx, y + 7, vx - tx, 6}, QStringLiteral("（盖章）"), song(10), Qt::AlignCenter);
    bound(b, QStringLiteral("ITEM_9"), {vx, y - 1, vw, 16}, vf, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("第一完成单位"));
    rule(vx, vx + vw, y + 15);
    y += 20;
    // A date line: blanks for year, month (and day) with their fill labels.
    auto dateLine = [&](const QString &title, const QStringList &labels) {
        item(title);
        static const QStringList units = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
        double x = vx;
        for (int i = 0; i < labels.size(); ++i) {
            const double w = i == 0 ? 18 : 11;
            fill(b, labels[i], {x, y, w, 8}, vf, Qt::AlignCenter, captionOf(title));
            rule(x, x + w, y + 8);
            x += w;
            b.label(n.label(), {x, y, 7, 8}, units[i], tf);
            x += 8;
        }
        y += 13;
    };
    dateLine(QStringLiteral("研究起始日期："), {QStringLiteral("item_8_1"), QStringLiteral("item_8_2")});
    dateLine(QStringLiteral("研究终止日期："), {QStringLiteral("item_8_3"), QStringLiteral("item_8_4")});
    item(QStringLiteral("推荐单位："));
    bound(b, QStringLiteral("ITEM_128"), {vx, y - 2, vw, 11}, vf, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("推荐单位"));
    rule(vx, vx + vw, y + 9);
    y += 13;
    item(QStringLiteral("批准登记单位："));
    rule(vx, vx + vw, y + 9);
    y += 13;
    item(QStringLiteral("批准登记号："));
    bound(b, QStringLiteral("ITEM_120"), {vx, y, vw, 8}, vf, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("批准登记号"));
    rule(vx, vx + vw, y + 9);
    y += 13;
    dateLine(QStringLiteral("批准登记日期："),
             {QStringLiteral("item_121_1"), QStringLiteral("item_121_2"), QStringLiteral("item_121_3")});

    b.label(n.label(), {0, 220, W, 10}, fixedValue(cover, QStringLiteral("ministryFull")) + QStringLiteral("制定"),
            song(18, true), Qt::AlignCenter);
    b.label(n.label(), {0, 232, W, 10}, fixedValue(cover, QStringLiteral("bureauFull")) + QStringLiteral("批准"),
            song(18, true), Qt::AlignCenter);
    b.label(n.label(), {0, 246, W, 9}, fixedValue(cover, QStringLiteral("madeIn")), fang(15), Qt::AlignCenter);
    return f;
}

ReportForm buildCoverNotes(FormFamily family)
{
    return notesPage(fam(family) + QStringLiteral("fm2"), 20, fam(family) + QStringLiteral("fm2.txt"), QString(), {}, 9);
}

// ---------------------------------------------------------------------------
// Instruction and note pages

ReportForm buildInstructions(FormFamily family)
{
    return notesPage(fam(family) + QStringLiteral("Print01"), 20, QStringLiteral("print01.txt"), QStringLiteral("1"),
                     [family](Flow &flow, const QString &name) {
                         if (name == QLatin1String("conditions"))
                             flow.entries(fixedText(QStringLiteral("print01_") + fam(family) + QStringLiteral(".txt")));
                     },
                     11, 11);
}

ReportForm buildFillingNotes(FormFamily family)
{
    // Item titles beside their notes keep the page to one sheet.
    return notesPage(fam(family) + QStringLiteral("Print02"), 20, fam(family) + QStringLiteral("Print02.txt"),
                     QStringLiteral("2"), {}, 9, 11, 38);
}

ReportForm buildEvaluationNotes()
{
    return notesPage(QStringLiteral("yyPrint04"), 20, QStringLiteral("yyPrint04.txt"), QStringLiteral("4"), {}, 9, 11, 38);
}

ReportForm buildOrganisationNotes(FormFamily family)
{
    const bool yy = applied(family);
    return notesPage(yy ? QStringLiteral("yyPrint06") : QStringLiteral("rjPrint04"), yy ? 20 : 10,
                     yy ? QStringLiteral("yyPrint06.txt") : QStringLiteral("rjPrint04.txt"),
                     yy ? QStringLiteral("6") : QStringLiteral("4"), [](Flow &flow, const QString &name) {
                         if (name == QLatin1String("orgNotes"))
                             flow.entries(fixedText(QStringLiteral("org_notes.txt")));
                     });
}

// ---------------------------------------------------------------------------
// Page 3: form head, 一、成果概况, 二、立项情况

ReportForm buildSummaryTable(FormFamily family)
{
    const bool yy = applied(family);
    ReportForm f = newForm(fam(family) + QStringLiteral("Print03"), 10);
    Names n;
    Band &b = f.addBand(BandKind::Title, 262);
    const double W = f.contentWidth();
    officeBlock(b, {W - 58, 0, 58, 24}, family, false);
    b.label(n.label(), {0, 24, W, 11}, QStringLiteral("科 技 成 果 登 记 表"), song(20, true), Qt::AlignCenter);
    b.label(n.label(), {0, 35, W, 7}, subtitle(family), kai(12), Qt::AlignCenter);

    Table t(b, n, 0, 43, W, 38);
    t.heading(QStringLiteral("一、成果概况"));
    t.boundRow(QStringLiteral("1．成果名称"), 10, QStringLiteral("ITEM_3"), song(9));
    // Keywords share 200 bytes: each gets three lines.
    const QRectF keywords = t.row(QStringLiteral("2．关键词"), 14);
    numberedFills(b, n, keywords, t.caption(),
                  {QStringLiteral("item_14_1"), QStringLiteral("item_14_2"), QStringLiteral("item_14_3")}, song(9));
    int no = 3;
    auto num = [&no](const QString &title) { return QStringLiteral("%1．").arg(no++) + title; };
    if (yy) {
        boxesIn(b, n, family, QStringLiteral("ITEM_123"), t.row(num(QStringLiteral("成果体现形式")), 18));
        boxesIn(b, n, family, QStringLiteral("ITEM_125_1"), t.row(QStringLiteral("%1. 成果属性").arg(no++), 7));
        boxesIn(b, n, family, QStringLiteral("ITEM_16"), t.row(num(QStringLiteral("成果所处阶段")), 7));
    } else {
        boxesIn(b, n, family, QStringLiteral("ITEM_210"), t.row(num(QStringLiteral("成果体现形式")), 7));
    }
    boxesIn(b, n, family, QStringLiteral("ITEM_2"), t.row(num(QStringLiteral("成果水平")), 7));
    if (yy)
        boxesIn(b, n, family, QStringLiteral("ITEM_33"), t.row(num(QStringLiteral("转让范围")), 7));
    boxesIn(b, n, family, QStringLiteral("ITEM_201"), t.row(num(QStringLiteral("研究形式")), 7));
    const QString pre = yy ? QString() : QStringLiteral("QR_");
    const QRectF subjects = t.row(num(QStringLiteral("学科分类")), 7);
    numberedFills(b, n, subjects, t.caption(), {pre + "item_15", pre + "item_15_1"});
    const QRectF library = t.row(num(QStringLiteral("中图分类")), 7);
    numberedFills(b, n, library, t.caption(), {pre + "item_12", pre + "item_12_1"});
    const QString single = QStringLiteral("（单选）");
    if (yy)
        boxesIn(b, n, family, QStringLiteral("ITEM_124_1"), t.row(num(QStringLiteral("所属高新技术领域")), 18, single));
    else
        boxesIn(b, n, family, QStringLiteral("ITEM_200"), t.row(num(QStringLiteral("社会经济目标")), 23, single));
    boxesIn(b, n, family, QStringLiteral("ITEM_125"), t.row(num(QStringLiteral("成果应用行业")), 40, single));

    t.heading(QStringLiteral("二、立项情况"));
    const QRectF src = t.row(QStringLiteral("1．课题来源"), 24, single);
    const double sub = 22;
    cell(b, n, {src.left(), src.top(), sub, 12}, QStringLiteral("国家科技计划"), song(9), Qt::AlignCenter);
    b.line(n.shape(), {src.left(), src.top() + 12}, {src.right(), src.top() + 12});
    boxesIn(b, n, family, QStringLiteral("ITEM_140"), {src.left() + sub, src.top(), src.width() - sub, 12}, 5.5, song(9), 2);
    boxesIn(b, n, family, QStringLiteral("ITEM_126"), {src.left(), src.top() + 12, src.width(), 12});
    if (yy) {
        t.boundRow(QStringLiteral("2．课题立项名称"), 10, QStringLiteral("ITEM_127_1"), song(9));
        t.boundRow(QStringLiteral("3．课题立项编号"), 7, QStringLiteral("ITEM_127"));
        fundingGrid(b, n, family, t.row(QStringLiteral("4．经费实际投入额（万元）"), 24));
    } else {
        t.fillRow(QStringLiteral("2．课题立项名称"), 10, QStringLiteral("QR_item_127_1"), song(9));
        t.fillRow(QStringLiteral("3．课题立项编号"), 7, QStringLiteral("QR_item_127"));
        fundingGrid(b, n, family, t.row(QStringLiteral("4．经费实际投入额"), 24, QStringLiteral("（万元）")));
    }
    b.height = t.y + 1;

    Band &foot = f.addBand(yy ? BandKind::PageFooter : BandKind::Summary, 7);
    foot.atPageFoot = true;
    foot.label(QStringLiteral("QRPage"), {0, 1, W, 6}, QStringLiteral("3"), song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// Page 5 (applied): 三、评价情况, 四、知识产权状况, 五、成果应用情况

ReportForm buildEvaluationTable()
{
    // The page holds every row of three sections: rows are as low as their
    // 11 pt titles allow, so that twelve patent names of the full 140 bytes
    // (two lines each) still fit the sheet.
    const FormFamily family = FormFamily::Applied;
    ReportForm f = newForm(QStringLiteral("yyPrint05"), 10);
    Names n;
    Band &b = f.addBand(BandKind::Title, 262);
    const double W = f.contentWidth();
    const double rh = 6.3, hh = 6.5;
    b.label(n.label(), {W - 30, 0, 30, 5}, QStringLiteral("（续表）"), song(10), Qt::AlignRight | Qt::AlignVCenter);
    Table t(b, n, 0, 5, W, 47);
    t.heading(QStringLiteral("三、评价情况"), hh);
    boxesIn(b, n, family, QStringLiteral("ITEM_21"), t.row(QStringLiteral("1．评价方式"), rh));
    t.boundRow(QStringLiteral("2．评价单位"), rh, QStringLiteral("ITEM_130"));
    t.fillRow(QStringLiteral("3．评价日期"), rh, QStringLiteral("QR_ITEM_34"));
    t.boundRow(QStringLiteral("4．评价报告编号"), rh, QStringLiteral("ITEM_22"));

    t.heading(QStringLiteral("四、知识产权状况"), hh);
    const QRectF ip = t.row(QStringLiteral("1．知识产权形式"), 11);
    checkLine(b, n, checkItem(family, QStringLiteral("patent_ty")), 0, ip.left() + 1.5, ip.top() + 0.3);
    checkLine(b, n, checkItem(family, QStringLiteral("ITEM_51")), 0, ip.left() + 1.5, ip.top() + 5.5);
    boxesIn(b, n, family, QStringLiteral("ITEM_51_1"), t.row(QStringLiteral("2．专利状况"), rh));
    t.boundRow(QStringLiteral("3．已受理专利项数"), rh, QStringLiteral("ITEM_51_2"));
    t.boundRow(QStringLiteral("4．已授权专利项数"), rh, QStringLiteral("ITEM_51_3"));
    // Patent grids: a head row and six rows of number and name; a name too
    // long for its line is set smaller, then takes a second line.
    auto patents = [&](const QString &title, const QString &prefix) {
        const double headH = 5, rowH = 5;
        const QRectF g = t.row(title, headH + 6 * rowH);
        const QString caption = t.caption();
        const double numW = 33;
        cell(b, n, {g.left(), g.top(), numW, headH}, QStringLiteral("专利号"), song(9));
        cell(b, n, {g.left() + numW, g.top(), g.width() - numW, headH}, QStringLiteral("专利名称"), song(9));
        for (int i = 1; i <= 6; ++i) {
            const double y = g.top() + headH + (i - 1) * rowH;
            const QString row = QStringLiteral("第%1行").arg(i);
            fill(b, prefix + QStringLiteral("_zlqk_zlh_%1").arg(i), {g.left(), y, numW, rowH}, song(9), Qt::AlignCenter,
                 caption + row + QStringLiteral("专利号")).frame = AllSides;
            fill(b, prefix + QStringLiteral("_zlqk_zlm_%1").arg(i), {g.left() + numW, y, g.width() - numW, rowH},
                 song(9), Qt::AlignCenter, caption + row + QStringLiteral("专利名称")).frame = AllSides;
        }
    };
    patents(QStringLiteral("5.已授权专利情况"), QStringLiteral("QL"));
    patents(QStringLiteral("6.已受理专利情况"), QStringLiteral("QLL"));
    t.boundRow(QStringLiteral("6．软件著作权登记号"), rh, QStringLiteral("ITEM_53"));
    t.boundRow(QStringLiteral("7．软件著作权名称"), rh, QStringLiteral("ITEM_52"));

    t.heading(QStringLiteral("五、成果应用情况"), hh);
    boxesIn(b, n, family, QStringLiteral("ITEM_32"), t.row(QStringLiteral("1．应用状态"), rh));
    t.boundRow(QStringLiteral("2．已转让企业数(个)"), rh, QStringLiteral("ITEM_45"));
    auto [income, ipIncome] = t.pairRow(QStringLiteral("3．技术转让收入(万元)"),
                                        QStringLiteral("其中，知识产权技术转让收入（万元）"), rh, 0.25, 68);
    bound(b, QStringLiteral("ITEM_150"), inset(income), song(10), Qt::AlignLeft | Qt::AlignVCenter, t.caption());
    bound(b, QStringLiteral("ITEM_162"), inset(ipIncome), song(10), Qt::AlignLeft | Qt::AlignVCenter, t.secondCaption());
    const QRectF eff = t.row(QStringLiteral("4．自行转化效益(万元)"), 11);
    const QStringList heads = {QStringLiteral("净利润"), QStringLiteral("实交税金"), QStringLiteral("出口创汇"), QStringLiteral("节约资金")};
    const QStringList fields = {QStringLiteral("ITEM_151_1"), QStringLiteral("ITEM_152_1"), QStringLiteral("ITEM_153"), QStringLiteral("ITEM_154")};
    for (int i = 0; i < 4; ++i) {
        const double cw = eff.width() / 4;
        cell(b, n, {eff.left() + i * cw, eff.top(), cw, 5.5}, heads[i], song(9));
        bound(b, fields[i], {eff.left() + i * cw, eff.top() + 5.5, cw, 5.5}, song(10), Qt::AlignCenter,
              t.caption() + QStringLiteral("（") + heads[i] + QStringLiteral("）")).frame = AllSides;
    }
    t.fillRow(QStringLiteral("5．预计达产投资(万元)"), rh, QStringLiteral("QRLabel44"));
    t.fillRow(QStringLiteral("6．预计达产利税(万元)"), rh, QStringLiteral("QRLabel45"));
    boxesIn(b, n, family, QStringLiteral("ITEM_161"), t.row(QStringLiteral("7．推广形式"), rh));
    const QRectF why = t.row(QStringLiteral("8．未应用或停用原因"), 27, QStringLiteral("（单选）"));
    const CheckItem &groups = checkItem(family, QStringLiteral("ITEM_32_1"));
    const CheckItem &reasons = checkItem(family, QStringLiteral("ITEM_160"));
    for (int i = 0; i < groups.lines.size(); ++i) {
        const double y = why.top() + 0.6 + i * 5.2;
        checkLine(b, n, groups, i, why.left() + 1.5, y, song(8, true), 0);
        checkLine(b, n, reasons, i, why.left() + 22, y, song(8), 2);
    }
    b.height = t.y + 1;

    Band &sum = f.addBand(BandKind::Summary, 6);
    sum.atPageFoot = true;   // the page number stands at the foot
    sum.label(QStringLiteral("QRPage"), {0, 0.5, W, 5.5}, QStringLiteral("5"), song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// The organisations page (applied 7, basic-theory 5)

ReportForm buildOrganisations(FormFamily family)
{
    const bool yy = applied(family);
    ReportForm f = newForm(yy ? QStringLiteral("yyPrint07") : QStringLiteral("rjPrint05"), 10);
    Names n;
    const double W = f.contentWidth();
    Band &h = f.addBand(BandKind::ColumnHeader, 0);
    h.label(n.label(), {W - 30, 0, 30, 6}, QStringLiteral("（续表）"), song(10), Qt::AlignRight | Qt::AlignVCenter);
    Table t(h, n, 0, 6, W, 34);
    const QString note = QStringLiteral("（此栏涉及到的知识产权问题由填报单位负责）");
    if (!yy) {
        t.heading(QStringLiteral("三、评价情况"));
        boxesIn(h, n, family, QStringLiteral("ITEM_21"), t.row(QStringLiteral("1．评价方式"), 7));
        t.boundRow(QStringLiteral("2．评价单位"), 7, QStringLiteral("ITEM_130"));
        t.fillRow(QStringLiteral("3．评价日期"), 7, QStringLiteral("QR_ITEM_34"));
        t.fillRow(QStringLiteral("4．评价报告编号"), 7, QStringLiteral("QR_item_22"));
        t.y += 2;
    }
    t.heading(yy ? QStringLiteral("六、成果完成单位情况") : QStringLiteral("四、成果完成单位情况"), 8, note);
    // Values: bound to the record on the applied page, fill labels on the other.
    auto value = [&](const QString &field, const QString &label, const QRectF &r, const QString &caption) {
        if (yy)
            bound(h, field, inset(r), song(10), Qt::AlignLeft | Qt::AlignVCenter, caption);
        else
            fill(h, label, inset(r), song(10), Qt::AlignLeft | Qt::AlignVCenter, caption);
    };
    // A row of one value, and the two values of a pair row.
    auto single = [&](const QString &field, const QString &label, const QString &title, double height) {
        const QRectF r = t.row(title, height);
        value(field, label, r, t.caption());
    };
    auto pair = [&](const QStringList &fields, const QStringList &labels, const QString &t1, const QString &t2,
                    double height, double split, double t2w) {
        const auto [first, second] = t.pairRow(t1, t2, height, split, t2w);
        value(fields[0], labels[0], first, t.caption());
        value(fields[1], labels[1], second, t.secondCaption());
    };
    // Names, addresses, numbers and mail addresses take up to two lines.
    single(QStringLiteral("ITEM_9"), QStringLiteral("QR_item_9"), QStringLiteral("第一完成单位名称"), 10.5);
    single(QStringLiteral("ITEM_420"), QStringLiteral("QR_item_420"), QStringLiteral("组织机构代码"), 7);
    pair({QStringLiteral("ITEM_37"), QStringLiteral("ITEM_38")}, {QStringLiteral("QR_item_37"), QStringLiteral("QR_item_38")},
         QStringLiteral("通讯地址"), QStringLiteral("邮政编码"), 10.5, 0.7, 22);
    pair({QStringLiteral("ITEM_39"), QStringLiteral("ITEM_40")}, {QStringLiteral("QR_item_39"), QStringLiteral("QR_item_40")},
         QStringLiteral("电话"), QStringLiteral("传真"), 10.5, 0.5, 22);
    single(QStringLiteral("ITEM_60"), QStringLiteral("QR_item_60"), QStringLiteral("网址"), 10.5);

    // Organisation attribute: research institute, college, medical; the
    // enterprise block; other.
    const double lh = 5.5;
    const QRectF attr = t.row(QStringLiteral("单位属性"), 6 * lh + 2);
    const CheckItem &kind = checkItem(family, QStringLiteral("ITEM_62"));
    checkLine(h, n, kind, 0, attr.left() + 1.5, attr.top() + 1);
    const double ey = attr.top() + 1 + lh;
    cell(h, n, {attr.left() + 1.5, ey, 14, 4 * lh}, QStringLiteral("企业"), song(9));
    const QRectF ent(attr.left() + 15.5, ey, attr.width() - 17, 4 * lh);
    cell(h, n, ent, QString(), song(9));
    const CheckItem &own = checkItem(family, QStringLiteral("ITEM_41_3"));
    for (int i = 0; i < own.lines.size(); ++i)
        checkLine(h, n, own, i, ent.left() + 1.5, ey + i * lh);
    const double cx = ent.left() + 1.5;
    const Font f9 = song(9);
    const QString conv = QStringLiteral("科研机构转制型企业");
    h.label(n.label(), {cx, ey + 3 * lh, estimatedWidth(conv, f9), lh}, conv, f9);
    checkLine(h, n, checkItem(family, QStringLiteral("ITEM_163")), 0, cx + estimatedWidth(conv, f9) + 2, ey + 3 * lh);
    checkLine(h, n, kind, 1, attr.left() + 1.5, ey + 4 * lh);

    const auto [prov, dept] = t.pairRow(QStringLiteral("所在省市"), QStringLiteral("隶属关系"), 7, 0.5, 22);
    fill(h, yy ? QStringLiteral("QRLabel_64") : QStringLiteral("QR_item_64"), inset(prov), song(10),
         Qt::AlignLeft | Qt::AlignVCenter, t.caption());
    fill(h, yy ? QStringLiteral("QRLabel_63") : QStringLiteral("QR_item_63"), inset(dept), song(10),
         Qt::AlignLeft | Qt::AlignVCenter, t.secondCaption());
    pair({QStringLiteral("ITEM_41"), QStringLiteral("ITEM_41_2")}, {QStringLiteral("QR_item_41"), QStringLiteral("QR_item_41_2")},
         QStringLiteral("联系人"), QStringLiteral("联系人电话"), 10.5, 0.5, 22);
    single(QStringLiteral("ITEM_61"), QStringLiteral("QR_item_61"), QStringLiteral("电子信箱"), 10.5);
    pair({QStringLiteral("TLinkMan"), QStringLiteral("TLinkManTe")}, {QStringLiteral("QR_Tlinkman"), QStringLiteral("QR_TlinkmanTe")},
         QStringLiteral("成果转让联系人"), QStringLiteral("成果转让联系人电话"), 10.5, 0.45, 38);
    single(QStringLiteral("TLinkManEm"), QStringLiteral("QR_TlinkmanEm"), QStringLiteral("成果转让联系人\n电子信箱"), 11);

    t.heading(QStringLiteral("成果合作/协作完成单位情况"), 7);
    // The list's columns: widths fit the wrapped cells at 10 pt.
    const WrapWidths ww = wrapWidths(family);
    const Font lf = song(10);
    const double em = lf.size * 25.4 / 72.0;
    const double nameW = charsPerLine(ww.organisationName) * em + 3;
    const double addrW = charsPerLine(ww.organisationAddress) * em + 3;
    const double noW = 12, postW = 20, manW = 26;
    const double telW = W - noW - nameW - addrW - postW - manW;
    const QList<double> widths = {noW, nameW, addrW, postW, manW, telW};
    const QStringList heads = {QStringLiteral("序号"), QStringLiteral("单位名称"), QStringLiteral("通讯地址"),
                               QStringLiteral("邮政编码"), QStringLiteral("联系人"), QStringLiteral("联系人电话")};
    double x = 0;
    for (int i = 0; i < 6; ++i) {
        cell(h, n, {x, t.y, widths[i], 7}, heads[i], song(10));
        x += widths[i];
    }
    t.y += 7;
    h.height = t.y;

    Band &d = f.addBand(BandKind::Detail, 8, kOrganisationRows);
    const QStringList fields = {QStringLiteral("ITEM_176"), QStringLiteral("ITEM_170"), QStringLiteral("ITEM_171"),
                                QStringLiteral("ITEM_172"), QStringLiteral("ITEM_173"), QStringLiteral("ITEM_174")};
    const int firstShape = yy ? 41 : 48;
    x = 0;
    for (int i = 0; i < 6; ++i) {
        Element &frame = d.box(QStringLiteral("QRShape%1").arg(firstShape + i), {x, 0, widths[i], 8});
        frame.followBand = true;
        QString name = QStringLiteral("QRDBText_") + fields[i];
        if (i == 1)
            name = yy ? QStringLiteral("QRDBText15") : QStringLiteral("QRDBText2");
        if (i == 2)
            name = yy ? QStringLiteral("QRDBText16") : QStringLiteral("QRDBText3");
        Element &c = d.data(name, {x, 0, widths[i], 8}, fields[i], kOrganisationRows, lf,
                            i == 0 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        c.followBand = true;
        c.caption = QStringLiteral("成果合作/协作完成单位（") + heads[i] + QStringLiteral("）");
        if (i == 1 || i == 2) {
            // Long names and addresses wrap and make their row taller.
            const int width = i == 1 ? ww.organisationName : ww.organisationAddress;
            c.beforePrint = [width](QString &text) { text = TruncNonChiChar1(text, width); };
            c.stretch = true;
        } else {
            // Short fields wrap too, and their row grows rather than cut them.
            c.wordWrap = true;
            c.stretch = true;
        }
        x += widths[i];
    }

    Band &foot = f.addBand(BandKind::PageFooter, 7);
    foot.label(yy ? QStringLiteral("QRPage1") : QStringLiteral("QRPage"), {0, 1, W, 6}, yy ? QStringLiteral("7") : QStringLiteral("5"),
               song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// Approval opinion and annex 1 (applied 8, basic-theory 6)

ReportForm buildApproval(FormFamily family)
{
    const bool yy = applied(family);
    ReportForm f = newForm(yy ? QStringLiteral("yyPrint08") : QStringLiteral("rjPrint06"), 10);
    Names n;
    const double W = f.contentWidth();
    Band &b = f.addBand(BandKind::Title, 200);
    b.box(n.shape(), {0, 0, W, 95}, 0.4);
    b.label(n.label(), {3, 2, 80, 8}, QStringLiteral("批准登记单位意见"), song(12, true));
    b.label(n.label(), {0, 38, W, 12}, QStringLiteral("同意登记"), song(16, true), Qt::AlignCenter);
    const Font f11 = song(11);
    b.label(n.label(), {8, 68, 60, 7}, QStringLiteral("批准登记单位："), f11);
    b.label(n.label(), {120, 68, 40, 7}, QStringLiteral("负责人："), f11);
    b.label(n.label(), {40, 76, 30, 7}, QStringLiteral("（盖章）"), f11);
    double x = 88;
    b.label(n.label(), {x, 85, 34, 7}, QStringLiteral("批准登记日期："), f11);
    x += 34;
    const QStringList labels = {QStringLiteral("QRLabel_year"), QStringLiteral("QRLabel_M"),
                                yy ? QStringLiteral("QRLabel_d") : QStringLiteral("QRLabel_D")};
    const QStringList units = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
    for (int i = 0; i < 3; ++i) {
        const double w = i == 0 ? 18 : 11;
        fill(b, labels[i], {x, 85, w, 7}, f11, Qt::AlignCenter, QStringLiteral("批准登记日期"));
        x += w;
        b.label(n.label(), {x, 85, 7, 7}, units[i], f11);
        x += 8;
    }

    b.label(n.label(), {0, 103, 30, 7}, QStringLiteral("附件一："), song(11, true));
    b.label(n.label(), {0, 110, W, 8},
            yy ? QStringLiteral(" 应用技术类成果登记材料一览表") : QStringLiteral("基础理论、软科学类成果登记材料一览表"),
            song(11, true), Qt::AlignCenter);
    const double top = 120, tw = 40;
    const Font gf = song(9);
    struct Col { QString head; QString proof; };
    QList<Col> cols;
    QStringList groups;
    QList<int> groupSpan;
    if (yy) {
        cols = {{"鉴定", "★鉴定证书"}, {"验收", "★验收报告"}, {"行业准入", "★审查证明"}, {"评估", "★评估报告"},
                {"专利（发明、\n实用新型）", "★专利授权证\n书"}, {"软件著作权", "★软件著\n作权证书"}};
        groups = {QStringLiteral("评价方式"), QStringLiteral("知识产权")};
        groupSpan = {4, 2};
    } else {
        cols = {{"学术论文", "★引用或评价证明，\n本单位学术或技术\n部门的评价意见"}, {"科技著作", "★评价材料"},
                {"以委托单位验收的", "★委托单位验收报告"}, {"以评审方式评价的", "★评审证书或\n引用（评价）证明"}};
        groups = {QStringLiteral("基础理论成果"), QStringLiteral("软科学成果")};
        groupSpan = {2, 2};
    }
    const double cw = (W - tw) / cols.size();
    const double h1 = 7, h2 = 10, r1 = 8, r2 = 18;
    // Corner: 评价方式 over 材料名称, split by a diagonal.
    cell(b, n, {0, top, tw, h1 + h2}, QString(), gf);
    b.line(n.shape(), {0, top}, {tw, top + h1 + h2});
    b.label(n.label(), {tw / 2, top + 1, tw / 2, 6}, QStringLiteral("评价方式"), gf, Qt::AlignRight | Qt::AlignVCenter);
    b.label(n.label(), {1, top + h1 + h2 - 7, tw / 2, 6}, QStringLiteral("材料名称"), gf);
    double gx = tw;
    for (int g = 0; g < groups.size(); ++g) {
        cell(b, n, {gx, top, cw * groupSpan[g], h1}, groups[g], gf);
        gx += cw * groupSpan[g];
    }
    for (int i = 0; i < cols.size(); ++i) {
        const double cx = tw + i * cw;
        cell(b, n, {cx, top + h1, cw, h2}, cols[i].head, gf);
        cell(b, n, {cx, top + h1 + h2, cw, r1}, QStringLiteral("★"), gf);
        cell(b, n, {cx, top + h1 + h2 + r1, cw, r2}, cols[i].proof, gf);
    }
    cell(b, n, {0, top + h1 + h2, tw, r1}, QStringLiteral("科技成果登记表"), gf);
    cell(b, n, {0, top + h1 + h2 + r1, tw, r2}, QStringLiteral("客观评价证明文\n件\n（复印件）"), gf);
    const double noteY = top + h1 + h2 + r1 + r2 + 2;
    b.label(n.label(), {0, noteY, W, 6}, QStringLiteral("注： \"★\"表示需要提交的材料。"), gf);
    b.height = noteY + 8;

    Band &sum = f.addBand(BandKind::Summary, 7);
    sum.atPageFoot = true;   // the page number stands at the foot
    sum.label(QStringLiteral("QRPage"), {0, 1, W, 6}, yy ? QStringLiteral("8") : QStringLiteral("6"), song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// Annex 2: the abstract (applied 9, basic-theory 7)

ReportForm buildAbstract(FormFamily family)
{
    const bool yy = applied(family);
    ReportForm f = newForm(yy ? QStringLiteral("yyPrint09") : QStringLiteral("rjPrint07"), 10);
    Names n;
    const double W = f.contentWidth();
    Band &b = f.addBand(BandKind::Title, 0);
    b.label(n.label(), {0, 0, W, 8},
            QStringLiteral("附件二：“成果简介”、 “成果完成人员名单” 和“评价委员会名单”填报格式"), song(11, true));
    const double top = 12, boxH = 215;
    b.box(n.shape(), {0, top, W, boxH}, 0.3);
    b.label(n.label(), {0, top + 1, W / 2 + 10, 8}, QStringLiteral("成果简介"), hei(12, true), Qt::AlignRight | Qt::AlignVCenter);
    b.label(n.label(), {W / 2 + 12, top + 1, 40, 8}, QStringLiteral("（800字以内）"), song(10));
    Element &text = b.rich(QStringLiteral("QRDBRichText1"), {3, top + 11, W - 6, boxH - 13}, QStringLiteral("ITEM_13_1"),
                           QString(), song(10));
    text.align = Qt::AlignLeft | Qt::AlignTop;
    // The box does not grow: a longer text is set smaller, and what even the
    // floor cannot hold is named before anything is printed.
    text.minFontSize = kValueFloor;
    text.caption = QStringLiteral("成果简介");
    const double ny = top + boxH + 2;
    b.label(n.label(), {0, ny, 30, 6}, QStringLiteral("填写内容要求："), song(10, true));
    const QString l1 = yy ? QStringLiteral(" ①课题来源与背景；②技术原理及性能指标；③技术的创造性与先进性；")
                          : QStringLiteral(" ①课题来源与背景；②研究目的与意义；③主要论点与论据；④创见与");
    const QString l2 = yy ? QStringLiteral("④技术的成熟程度，适用范围和安全性；⑤应用情况及存在的问题； ⑥历年获奖情况。 ")
                          : QStringLiteral("创新；⑤社会经济效益，存在的问题； ⑥历年获奖情况。 ");
    b.label(n.label(), {30, ny, W - 30, 6}, l1, song(10));
    b.label(n.label(), {30, ny + 6, W - 30, 6}, l2, song(10));
    b.height = ny + 13;
    Band &sum = f.addBand(BandKind::Summary, 7);
    sum.atPageFoot = true;   // the page number stands at the foot
    sum.label(QStringLiteral("QRPage"), {0, 1, W, 6}, yy ? QStringLiteral("9") : QStringLiteral("7"), song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// The list of completing persons (applied 10, basic-theory 8)
//
// Band heights decide how many rows a page holds: with rows of 10 mm, a
// 26 mm head, a 7 mm footer and the notes at the foot of the last page, 18
// persons and the blank row (applied; 17 on the other form) fit with the
// notes on one page, one more person does not.

ReportForm buildPersons(FormFamily family)
{
    const bool yy = applied(family);
    const QString number = yy ? QStringLiteral("10") : QStringLiteral("8");
    ReportForm f = newForm(yy ? QStringLiteral("yyPrint10") : QStringLiteral("rjPrint08"), 10);
    Names n;
    const double W = f.contentWidth();
    Band &h = f.addBand(BandKind::ColumnHeader, 27);
    h.label(n.label(), {0, 0, W, 8}, QStringLiteral("成果完成人员名单"), hei(12, true), Qt::AlignCenter);
    h.label(n.label(), {0, 8, W, 6}, QStringLiteral("（此表涉及到的知识产权问题由填报单位负责）"), song(9, true), Qt::AlignCenter);
    const WrapWidths ww = wrapWidths(family);
    const Font lf = song(9);
    const double em = lf.size * 25.4 / 72.0;
    const double unitW = charsPerLine(ww.employer) * em + 2.5;
    const double workW = charsPerLine(ww.contribution) * em + 2.5;
    QList<double> widths = {8, 0, 9, 18, 19, 20, 15, unitW, workW};
    double fixed = 0;
    for (double w : widths)
        fixed += w;
    widths[1] = W - fixed;
    const QStringList heads = {QStringLiteral("序\n号"), QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("出生年月"),
                               QStringLiteral("技术职称"), QStringLiteral("文化程度"), QStringLiteral("是否留\n学归国"),
                               QStringLiteral("工作单位"), QStringLiteral("对成果创造性贡献")};
    const Font hf = yy ? song(10, true) : hei(10, true);
    double x = 0;
    for (int i = 0; i < heads.size(); ++i) {
        cell(h, n, {x, 15, widths[i], 12}, heads[i], hf);
        x += widths[i];
    }

    Band &d = f.addBand(BandKind::Detail, 10, kPersonRows);
    const QStringList fields = {QStringLiteral("ITEM_187"), QStringLiteral("ITEM_180"), QStringLiteral("ITEM_181"),
                                QStringLiteral("ITEM_182"), QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"),
                                QStringLiteral("ITEM_188"), QStringLiteral("ITEM_185"), QStringLiteral("ITEM_186")};
    x = 0;
    for (int i = 0; i < fields.size(); ++i) {
        d.box(QStringLiteral("QRShape%1").arg(11 + i), {x, 0, widths[i], 10}).followBand = true;
        Element &c = d.data(QStringLiteral("QRDBText%1").arg(i + 1), {x, 0, widths[i], 10}, fields[i], kPersonRows, lf,
                            i < 7 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        c.followBand = true;
        c.caption = QStringLiteral("成果完成人员名单（") + captionOf(heads[i]) + QStringLiteral("）");
        if (i >= 7) {
            // Employer and contribution wrap and make their row taller: a
            // long employer is never cut off.
            const int width = i == 7 ? ww.employer : ww.contribution;
            c.beforePrint = [width](QString &text) { text = TruncNonChiChar1(text, width); };
            c.stretch = true;
        } else {
            c.wordWrap = true;
            c.stretch = true;
        }
        x += widths[i];
    }

    Band &s = f.addBand(BandKind::Summary, yy ? 48 : 58);
    s.atPageFoot = true;
    Flow flow(s, n, 0, 2, W);
    flow.body = song(10);
    flow.titleFont = song(10, true);
    flow.entries(fixedText(QStringLiteral("persons_notes.txt")));

    Band &foot = f.addBand(BandKind::PageFooter, 7);
    Element &run = foot.pageNumber(QStringLiteral("QRSysData1"), {0, 1, W, 6}, number + QStringLiteral("--"), song(9));
    run.visible = false;
    foot.label(QStringLiteral("QRpage"), {0, 1, W, 6}, number, song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// The appraisal committee (applied 11, basic-theory 9)
//
// Rows do not grow.  Applied: 11 mm rows under a 32 mm head and a 7 mm
// footer give 21 rows a page, 13 on the page that also holds the 88 mm of
// notes.  Basic theory: 10.5 mm rows, 22 a page, 15 with 75 mm of notes.

ReportForm buildCommittee(FormFamily family)
{
    const bool yy = applied(family);
    const QString number = yy ? QStringLiteral("11") : QStringLiteral("9");
    ReportForm f = newForm(yy ? QStringLiteral("yyPrint11") : QStringLiteral("rjPrint09"), 10);
    Names n;
    const double W = f.contentWidth();
    Band &h = f.addBand(BandKind::ColumnHeader, 32);
    h.label(n.label(), {0, 2, W, 10}, QStringLiteral("评价委员会名单"), hei(12, true), Qt::AlignCenter);
    // The employer (80 bytes) fits two lines of its column.
    const QList<double> widths = {22, 20, 9, 62, 26, 26, 25};
    const QStringList heads = {QStringLiteral("评价委员\n会职务"), QStringLiteral("姓名"), QStringLiteral("性\n别"),
                               QStringLiteral("工作单位"), QStringLiteral("所学专业"), QStringLiteral("从事专业"),
                               QStringLiteral("技术\n职称")};
    const Font hf = yy ? hei(10, true) : song(10, true);
    double x = 0;
    for (int i = 0; i < heads.size(); ++i) {
        cell(h, n, {x, 18, widths[i], 14}, heads[i], hf);
        x += widths[i];
    }
    const double rowH = yy ? 11 : 10.5;
    Band &d = f.addBand(BandKind::Detail, rowH, kCommitteeRows);
    const QStringList fields = {QStringLiteral("ITEM_191"), QStringLiteral("ITEM_192"), QStringLiteral("ITEM_193"),
                                QStringLiteral("ITEM_195"), QStringLiteral("ITEM_196"), QStringLiteral("ITEM_197"),
                                QStringLiteral("ITEM_198")};
    x = 0;
    for (int i = 0; i < fields.size(); ++i) {
        Element &c = d.data(QStringLiteral("QRDBText%1").arg(i + 1), {x, 0, widths[i], rowH}, fields[i], kCommitteeRows,
                            i == 3 ? song(8) : song(9), Qt::AlignCenter);
        c.frame = AllSides;
        c.caption = QStringLiteral("评价委员会名单（") + captionOf(heads[i]) + QStringLiteral("）");
        c.wordWrap = true;
        // Texts longer than their fields allow still print whole.
        c.stretch = true;
        c.followBand = true;
        x += widths[i];
    }
    Band &s = f.addBand(BandKind::Summary, yy ? 88 : 75);
    Flow flow(s, n, 0, 2, W);
    flow.body = song(10);
    flow.titleFont = song(10, true);
    flow.entries(fixedText(QStringLiteral("committee_notes.txt")));

    Band &foot = f.addBand(BandKind::PageFooter, 7);
    Element &run = foot.pageNumber(QStringLiteral("QRSysData1"), {0, 1, W, 6}, number + QStringLiteral("--"), song(9));
    run.visible = false;
    foot.label(QStringLiteral("QRpage"), {0, 1, W, 6}, number, song(9), Qt::AlignCenter);
    return f;
}

// ---------------------------------------------------------------------------
// Annexes

namespace {

// Annex sections as bold titles in a column with their contents beside them.
void definitions(Flow &flow, const QList<TextEntry> &entries, double titleColumn)
{
    flow.titleColumn = titleColumn;
    flow.entries(entries);
    flow.titleColumn = 0;
}

QList<TextEntry> annex4Sections(int from, int to, bool plainNineteenth)
{
    // Entries come in title/note pairs.
    const QList<TextEntry> all = fixedText(QStringLiteral("annex4.txt"));
    QList<TextEntry> out;
    int section = 0;
    for (const auto &e : all) {
        if (e.kind == TextEntry::Title)
            ++section;
        if (section >= from && section <= to) {
            TextEntry copy = e;
            if (plainNineteenth && section == 19 && e.kind == TextEntry::Title && copy.text.endsWith(QStringLiteral("：")))
                copy.text.chop(1);
            out << copy;
        }
    }
    return out;
}

} // namespace

ReportForm buildDomainsAnnex()
{
    ReportForm f = newForm(QStringLiteral("yyPrint12"), 20);
    Names n;
    Band &b = pageBand(f);
    Flow flow(b, n, 0, 0, f.contentWidth());
    flow.body = song(9);
    flow.titleFont = song(9, true);
    flow.sectionFont = song(12, true);
    flow.section(QStringLiteral("附件三：国家高新技术产品目录"));
    flow.gap(1);
    definitions(flow, fixedText(QStringLiteral("annex3_yy.txt")), 40);
    flow.gap(3);
    flow.sectionFont = song(11, true);
    flow.section(QStringLiteral("附件四：国民经济行业分类（GB/T4754-2002）"));
    flow.gap(1);
    definitions(flow, annex4Sections(1, 15, false), 58);
    footNumber(f, b, n, QStringLiteral("12"));
    return f;
}

ReportForm buildPlanCodesAnnex()
{
    ReportForm f = newForm(QStringLiteral("yyPrint14"), 20);
    Names n;
    const double W = f.contentWidth();
    Band &b = pageBand(f);
    footNumber(f, b, n, QStringLiteral("13"));
    // The annex text stands on the page itself.
    Band &o = f.overlay();
    Flow flow(o, n, 0, 0, W);
    flow.body = song(9);
    flow.titleFont = song(9, true);
    definitions(flow, annex4Sections(16, 20, false), 58);
    flow.gap(4);
    flow.sectionFont = song(11, true);
    flow.section(QStringLiteral("附件五：国家科技计划编码规则"));
    flow.gap(1);
    const QList<TextEntry> annex5 = fixedText(QStringLiteral("annex5.txt"));
    QList<TextEntry> paras;
    QStringList rows;
    for (const auto &e : annex5) {
        if (e.kind == TextEntry::Para)
            paras << e;
        else if (e.kind == TextEntry::Value && e.name == QLatin1String("row"))
            rows << e.text;
    }
    flow.para(paras.value(0).text);
    flow.gap(2);
    // Positions of the number.
    double y = flow.y();
    const Font gf = song(9);
    const double tw = 22, dw = (W - tw) / 12;
    cell(o, n, {0, y, tw, 6}, QStringLiteral("位数"), gf);
    for (int i = 0; i < 12; ++i)
        cell(o, n, {tw + i * dw, y, dw, 6}, QString::number(i + 1), gf);
    y += 6;
    struct Span { int from, count; QString meaning, form; };
    const QList<Span> spans = {{0, 4, QStringLiteral("立项年度"), QStringLiteral("四位数字")},
                               {4, 2, QStringLiteral("计划名称代码"), QStringLiteral("两位英文字母")},
                               {6, 6, QStringLiteral("项目流水序号"), QStringLiteral("六位")}};
    cell(o, n, {0, y, tw, 6}, QStringLiteral("编号含义"), gf);
    cell(o, n, {0, y + 6, tw, 6}, QStringLiteral("表示方法"), gf);
    for (const Span &s : spans) {
        cell(o, n, {tw + s.from * dw, y, s.count * dw, 6}, s.meaning, gf);
        cell(o, n, {tw + s.from * dw, y + 6, s.count * dw, 6}, s.form, gf);
    }
    y += 14;
    flow.moveTo(y);
    flow.para(paras.value(1).text);
    flow.gap(2);
    y = flow.y();
    o.label(n.label(), {0, y, W, 7}, QStringLiteral("国家科技计划名称代码对应关系"), song(10, true), Qt::AlignCenter);
    y += 7;
    const double c1 = 62, c3 = 20, c2 = W - c1 - c3, rh = 4.9;
    cell(o, n, {0, y, c1, 6}, QStringLiteral("板块名称"), song(9, true));
    cell(o, n, {c1, y, c2, 6}, QStringLiteral("计划名称"), song(9, true));
    cell(o, n, {c1 + c2, y, c3, 6}, QStringLiteral("代码"), song(9, true));
    y += 6;
    // A block's cell spans its plans' rows.
    int i = 0;
    while (i < rows.size()) {
        const QStringList first = rows[i].split(QLatin1Char('|'));
        int span = 1;
        while (i + span < rows.size() && rows[i + span].startsWith(QLatin1Char('|')))
            ++span;
        cell(o, n, {0, y, c1, span * rh}, first.value(0), song(8));
        for (int k = 0; k < span; ++k) {
            const QStringList r = rows[i + k].split(QLatin1Char('|'));
            cell(o, n, {c1, y + k * rh, c2, rh}, r.value(1), song(8));
            cell(o, n, {c1 + c2, y + k * rh, c3, rh}, r.value(2), song(8));
        }
        y += span * rh;
        i += span;
    }
    return f;
}

ReportForm buildGoalsAnnex()
{
    ReportForm f = newForm(QStringLiteral("rjPrint10"), 20);
    Names n;
    const double W = f.contentWidth();
    Band &b = pageBand(f);
    footNumber(f, b, n, QStringLiteral("10"));
    // The heading and the bold titles stand on the page itself, the
    // definitions in the band beside them.
    Band &o = f.overlay();
    o.label(n.label(), {0, 0, W, 7}, QStringLiteral("附件三：社会经济目标"), song(11, true));
    Flow titles(o, n, 0, 10, W);
    Flow defs(b, n, 0, 10, W);
    titles.titleFont = song(10, true);
    defs.body = song(10);
    const double tc = 58;
    for (const auto &e : fixedText(QStringLiteral("annex3_rj.txt"))) {
        if (e.kind == TextEntry::Title) {
            const double y = std::max(titles.y(), defs.y());
            o.label(n.label(), {0, y, tc, linesHeight(1, titles.titleFont)}, e.text, titles.titleFont).wordWrap = true;
            titles.moveTo(y + linesHeight(1, titles.titleFont));
            defs.moveTo(y);
        } else if (e.kind == TextEntry::Para) {
            defs.para(e.text, tc);
            defs.gap(1.5);
        }
    }
    return f;
}

ReportForm buildIndustriesAnnex()
{
    ReportForm f = newForm(QStringLiteral("rjPrint11"), 20);
    Names n;
    Band &b = pageBand(f);
    Flow flow(b, n, 0, 0, f.contentWidth());
    flow.body = song(9);
    flow.titleFont = song(9, true);
    flow.sectionFont = song(11, true);
    flow.section(QStringLiteral("附件四：国民经济行业分类"));
    flow.gap(2);
    definitions(flow, annex4Sections(1, 20, true), 58);
    footNumber(f, b, n, QStringLiteral("11"));
    return f;
}

// ---------------------------------------------------------------------------
// Registry

const std::vector<PageInfo> &formPages(FormFamily family)
{
    using F = FormFamily;
    static const std::vector<PageInfo> yy = {
        {"Tyyfm1", "yyfm1", "", [] { return buildCover(F::Applied); }},
        {"Tyyfm2", "yyfm2", "", [] { return buildCoverNotes(F::Applied); }},
        {"TyyPrint01", "yyPrint01", "1", [] { return buildInstructions(F::Applied); }},
        {"TyyPrint02", "yyPrint02", "2", [] { return buildFillingNotes(F::Applied); }},
        {"TyyPrint03", "yyPrint03", "3", [] { return buildSummaryTable(F::Applied); }},
        {"TyyPrint04", "yyPrint04", "4", [] { return buildEvaluationNotes(); }},
        {"TyyPrint05", "yyPrint05", "5", [] { return buildEvaluationTable(); }},
        {"TyyPrint06", "yyPrint06", "6", [] { return buildOrganisationNotes(F::Applied); }},
        {"TyyPrint07", "yyPrint07", "7", [] { return buildOrganisations(F::Applied); }},
        {"TyyPrint08", "yyPrint08", "8", [] { return buildApproval(F::Applied); }},
        {"TyyPrint09", "yyPrint09", "9", [] { return buildAbstract(F::Applied); }},
        {"TyyPrint10", "yyPrint10", "10", [] { return buildPersons(F::Applied); }},
        {"TyyPrint11", "yyPrint11", "11", [] { return buildCommittee(F::Applied); }},
        {"TyyPrint12", "yyPrint12", "12", [] { return buildDomainsAnnex(); }},
        {"TyyPrint14", "yyPrint14", "13", [] { return buildPlanCodesAnnex(); }},
    };
    static const std::vector<PageInfo> rj = {
        {"Trjfm1", "rjfm1", "", [] { return buildCover(F::BasicTheory); }},
        {"Trjfm2", "rjfm2", "", [] { return buildCoverNotes(F::BasicTheory); }},
        {"TrjPrint01", "rjPrint01", "1", [] { return buildInstructions(F::BasicTheory); }},
        {"TrjPrint02", "rjPrint02", "2", [] { return buildFillingNotes(F::BasicTheory); }},
        {"TrjPrint03", "rjPrint03", "3", [] { return buildSummaryTable(F::BasicTheory); }},
        {"TrjPrint04", "rjPrint04", "4", [] { return buildOrganisationNotes(F::BasicTheory); }},
        {"TrjPrint05", "rjPrint05", "5", [] { return buildOrganisations(F::BasicTheory); }},
        {"TrjPrint06", "rjPrint06", "6", [] { return buildApproval(F::BasicTheory); }},
        {"TrjPrint07", "rjPrint07", "7", [] { return buildAbstract(F::BasicTheory); }},
        {"TrjPrint08", "rjPrint08", "8", [] { return buildPersons(F::BasicTheory); }},
        {"TrjPrint09", "rjPrint09", "9", [] { return buildCommittee(F::BasicTheory); }},
        {"TrjPrint10", "rjPrint10", "10", [] { return buildGoalsAnnex(); }},
        {"TrjPrint11", "rjPrint11", "11", [] { return buildIndustriesAnnex(); }},
    };
    return family == F::Applied ? yy : rj;
}

ReportForm buildPage(const QString &className)
{
    for (FormFamily fam : {FormFamily::Applied, FormFamily::BasicTheory})
        for (const auto &p : formPages(fam))
            if (p.className == className)
                return p.build();
    throw std::out_of_range(("no printed page " + className).toStdString());
}

} // namespace layouts
