// Builds a word-processing template (OOXML, the content of a .dotx) from a
// short text description of the form.  One directive a line:
//
//   file NAME                the template's file name
//   right TEXT               a right-aligned line (the form number)
//   title TEXT | subtitle TEXT | center TEXT | heading TEXT | para TEXT
//   space N                  N empty lines
//   page                     what follows starts a new page
//   cover LABEL | VALUE      cover lines (label and underlined value)
//   row [h=N] CELL | CELL    a row of a ruled table; rows in a row form one table
//   list ROWS | HEAD:prefix  a ruled list: heading row and ROWS rows; a column
//                            without a prefix shows the row's number
//   end                      ends the current table
//
// In a cell or a line, {name} places the bookmark `name`; a cell may end in
// *N, its share of the row's width (labels 3 and values 4 unless given).  A
// label is widened, at its row's values' cost, until it fits on one line.
// Lines beginning with # are comments.
//
// Layout rules: a new page is asked of the paragraph that starts it (no
// paragraph holding only a page break, which spills onto a page of its own
// when what comes before ends at the foot); an empty paragraph stands only
// between two tables (so they do not merge) and at the end; rows that hold
// a long text of several lines may break across pages, every other row
// stays whole; headings stay with what follows them.
//
// Usage: make_word_template DESCRIPTION OUTPUT

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace {

constexpr int kTextWidth = 9638;  // A4 less 2 cm margins each side, in twips

QString esc(const QString &s)
{
    QString o = s;
    o.replace(u'&', QStringLiteral("&amp;")).replace(u'<', QStringLiteral("&lt;")).replace(u'>', QStringLiteral("&gt;"));
    o.replace(u'"', QStringLiteral("&quot;"));
    return o;
}

struct Style {
    int size = 21;          // half points
    bool bold = false;
    QString jc = QStringLiteral("left");
    bool underline = false;
    QString font;           // east-Asian font when not the default
    bool keepNext = false;  // stays on the page of what follows (headings)
};

QString runProps(const Style &s)
{
    QString r = QStringLiteral("<w:rPr>");
    if (!s.font.isEmpty())
        r += QStringLiteral("<w:rFonts w:eastAsia=\"%1\" w:hint=\"eastAsia\"/>").arg(esc(s.font));
    if (s.bold)
        r += QStringLiteral("<w:b/>");
    if (s.underline)
        r += QStringLiteral("<w:u w:val=\"single\"/>");
    r += QStringLiteral("<w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/></w:rPr>").arg(s.size);
    return r;
}

class Builder {
public:
    QString body;
    QStringList bookmarks;
    int nextId = 0;
    QString error;

    // A paragraph of literal text and {bookmarks}.
    QString paragraph(const QString &text, const Style &s, int before = 0, int after = 0, bool breakBefore = false)
    {
        QString p = QStringLiteral("<w:p><w:pPr>%1%2<w:spacing w:before=\"%3\" w:after=\"%4\"/><w:jc w:val=\"%5\"/>%6</w:pPr>")
                        .arg(s.keepNext ? QStringLiteral("<w:keepNext/>") : QString(),
                             breakBefore ? QStringLiteral("<w:pageBreakBefore/>") : QString())
                        .arg(before).arg(after).arg(s.jc, runProps(s));
        static const QRegularExpression token(QStringLiteral("\\{([A-Za-z0-9_]+)\\}"));
        qsizetype pos = 0;
        auto literal = [&](const QString &t) {
            if (!t.isEmpty())
                p += QStringLiteral("<w:r>%1<w:t xml:space=\"preserve\">%2</w:t></w:r>").arg(runProps(s), esc(t));
        };
        for (auto it = token.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            literal(text.mid(pos, m.capturedStart() - pos));
            const QString name = m.captured(1);
            if (bookmarks.contains(name, Qt::CaseInsensitive))
                error = QStringLiteral("bookmark %1 placed twice").arg(name);
            bookmarks << name;
            p += QStringLiteral("<w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/><w:bookmarkEnd w:id=\"%1\"/>")
                     .arg(nextId).arg(esc(name));
            ++nextId;
            pos = m.capturedEnd();
        }
        literal(text.mid(pos));
        return p + QStringLiteral("</w:p>");
    }

    struct Cell {
        QString text;
        int weight;
        bool value;
    };
    struct Row {
        std::vector<Cell> cells;
        int height = 0;       // lines, 0 for one
        bool header = false;
        bool list = false;      // rows of a list are set smaller
        std::vector<int> widths;  // the cells' widths when set (a list's rows take its head's)
    };
    std::vector<Row> table;
    bool coverTable = false;
    bool breakPending = false;  // the next block starts a new page
    bool tableEnded = false;    // the last block was a table

    // A paragraph of the body: it takes the pending page break.
    void addParagraph(const QString &text, const Style &s, int before = 0, int after = 0)
    {
        flushTable();
        body += paragraph(text, s, before, after, breakPending);
        breakPending = false;
        tableEnded = false;
    }

    // A thin empty paragraph: between two tables, before a table that starts
    // a page, and at the end of the body, which must end with a paragraph.
    void addThinParagraph()
    {
        Style thin;
        thin.size = 2;
        body += paragraph(QString(), thin, 0, 0, breakPending)
                    .replace(QStringLiteral("<w:spacing w:before=\"0\" w:after=\"0\"/>"),
                             QStringLiteral("<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" "
                                            "w:lineRule=\"exact\"/>"));
        breakPending = false;
        tableEnded = false;
    }

    // The width of a text set in `halfPoints`, in twips: a Chinese character
    // takes an em, any other character half of one.
    static int textWidth(const QString &text, int halfPoints)
    {
        int w = 0;
        for (const QChar c : text)
            w += c.unicode() < 0x2E80 ? halfPoints * 5 : halfPoints * 10;
        return w;
    }

    // The cells' widths in twips: shares of the text width, each label widened
    // to hold its text on one line, taken from the values of its row.
    static std::vector<int> cellWidths(const Row &r, bool cover)
    {
        if (!r.widths.empty())
            return r.widths;
        int total = 0;
        for (const Cell &c : r.cells)
            total += c.weight;
        std::vector<int> w;
        int sum = 0, placed = 0;
        for (const Cell &c : r.cells) {
            sum += c.weight;
            const int edge = int(double(kTextWidth) * sum / total + 0.5);
            w.push_back(edge - placed);
            placed = edge;
        }
        constexpr int kMargins = 140 + 60;  // the cell's margins and a little air
        constexpr int kValueFloor = 700;
        const int size = cover ? 28 : (r.list ? 18 : 21);
        static const QRegularExpression token(QStringLiteral("\\{[^}]*\\}"));
        std::vector<int> need;
        for (const Cell &c : r.cells)
            need.push_back(c.value ? kValueFloor : textWidth(QString(c.text).remove(token), size) + kMargins);
        int lacking = 0, spare = 0;
        for (size_t i = 0; i < w.size(); ++i) {
            if (need[i] > w[i] && !r.cells[i].value) {
                lacking += need[i] - w[i];
                w[i] = need[i];
            } else {
                spare += std::max(0, w[i] - need[i]);
            }
        }
        // The cells with room to spare give it, each in proportion to its room.
        if (lacking > 0 && spare > 0) {
            lacking = std::min(lacking, spare);
            int taken = 0;
            int lastDonor = -1;
            for (size_t i = 0; i < w.size(); ++i) {
                if (w[i] <= need[i])
                    continue;
                const int share = int(double(lacking) * (w[i] - need[i]) / spare);
                w[i] -= share;
                taken += share;
                lastDonor = int(i);
            }
            if (lastDonor >= 0)
                w[size_t(lastDonor)] -= lacking - taken;
        }
        return w;
    }

    static Cell cell(QString text)
    {
        text = text.trimmed();
        int weight = -1;
        static const QRegularExpression share(QStringLiteral("\\*(\\d+)$"));
        const auto m = share.match(text);
        if (m.hasMatch()) {
            weight = m.captured(1).toInt();
            text = text.left(m.capturedStart()).trimmed();
        }
        const bool value = text.contains(u'{');
        if (weight <= 0)
            weight = value ? 4 : 3;
        return {text, weight, value};
    }

    void flushTable()
    {
        if (table.empty())
            return;
        // The grid: every cell boundary of every row.
        std::set<int> cuts{0, kTextWidth};
        std::vector<std::vector<int>> rowCuts;
        for (const Row &r : table) {
            std::vector<int> cs{0};
            for (const int w : cellWidths(r, coverTable))
                cs.push_back(cs.back() + w);
            cs.back() = kTextWidth;
            cuts.insert(cs.begin(), cs.end());
            rowCuts.push_back(cs);
        }
        const std::vector<int> grid(cuts.begin(), cuts.end());
        const QString border = coverTable ? QStringLiteral("nil") : QStringLiteral("single");
        QString t = QStringLiteral("<w:tbl><w:tblPr><w:tblW w:w=\"%1\" w:type=\"dxa\"/><w:jc w:val=\"center\"/>"
                                   "<w:tblBorders>")
                        .arg(kTextWidth);
        for (const char *side : {"top", "left", "bottom", "right", "insideH", "insideV"})
            t += QStringLiteral("<w:%1 w:val=\"%2\" w:sz=\"%3\" w:space=\"0\" w:color=\"000000\"/>")
                     .arg(QLatin1String(side), border, QString::number(coverTable ? 0 : 6));
        t += QStringLiteral("</w:tblBorders><w:tblLayout w:type=\"fixed\"/><w:tblCellMar>"
                            "<w:left w:w=\"70\" w:type=\"dxa\"/><w:right w:w=\"70\" w:type=\"dxa\"/></w:tblCellMar>"
                            "</w:tblPr><w:tblGrid>");
        for (size_t i = 1; i < grid.size(); ++i)
            t += QStringLiteral("<w:gridCol w:w=\"%1\"/>").arg(grid[i] - grid[i - 1]);
        t += QStringLiteral("</w:tblGrid>");
        for (size_t ri = 0; ri < table.size(); ++ri) {
            const Row &r = table[ri];
            const int height = coverTable ? 620 : 420 * std::max(1, r.height);
            // A row of several lines that holds a text of the record may
            // break across pages (a summary longer than a page would else
            // leave its heading alone); every other row stays whole.
            const bool holdsText = std::any_of(r.cells.begin(), r.cells.end(),
                                               [](const Cell &c) { return c.text.contains(u'{'); });
            const bool mayBreak = r.height > 1 && holdsText;
            t += QStringLiteral("<w:tr><w:trPr>%1%2<w:trHeight w:val=\"%3\" w:hRule=\"atLeast\"/></w:trPr>")
                     .arg(mayBreak ? QString() : QStringLiteral("<w:cantSplit/>"),
                          r.header ? QStringLiteral("<w:tblHeader/>") : QString())
                     .arg(height);
            const std::vector<int> &cs = rowCuts[ri];
            for (size_t ci = 0; ci < r.cells.size(); ++ci) {
                const Cell &c = r.cells[ci];
                const auto from = std::find(grid.begin(), grid.end(), cs[ci]);
                const auto to = std::find(grid.begin(), grid.end(), cs[ci + 1]);
                const int span = int(to - from);
                t += QStringLiteral("<w:tc><w:tcPr><w:tcW w:w=\"%1\" w:type=\"dxa\"/>").arg(cs[ci + 1] - cs[ci]);
                if (span > 1)
                    t += QStringLiteral("<w:gridSpan w:val=\"%1\"/>").arg(span);
                if (coverTable && c.value)
                    t += QStringLiteral("<w:tcBorders><w:bottom w:val=\"single\" w:sz=\"6\" w:space=\"0\" "
                                        "w:color=\"000000\"/></w:tcBorders>");
                if (r.header)
                    t += QStringLiteral("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"EDEDED\"/>");
                t += QStringLiteral("<w:vAlign w:val=\"%1\"/></w:tcPr>")
                         .arg(r.height > 1 && c.value ? QStringLiteral("top") : QStringLiteral("center"));
                Style s;
                s.size = coverTable ? 28 : (r.list ? 18 : 21);
                s.bold = coverTable && !c.value;
                s.jc = c.value ? QStringLiteral("left") : (coverTable ? QStringLiteral("distribute")
                                                                      : QStringLiteral("center"));
                if (!c.value && !coverTable && !r.header)
                    s.font = QStringLiteral("黑体");
                if (r.header)
                    s.bold = true;
                t += paragraph(c.text, s);
                t += QStringLiteral("</w:tc>");
            }
            t += QStringLiteral("</w:tr>");
        }
        t += QStringLiteral("</w:tbl>");
        // A table must not touch the one before it (they would merge), and a
        // table cannot itself start a page: a thin paragraph before it then.
        if (tableEnded || breakPending)
            addThinParagraph();
        body += t;
        tableEnded = true;
        table.clear();
    }

    void addRow(Row r, bool cover)
    {
        if (!table.empty() && coverTable != cover)
            flushTable();
        coverTable = cover;
        table.push_back(std::move(r));
    }

    bool line(const QString &raw, int lineNo, QString &fileName)
    {
        const QString l = raw.trimmed();
        if (l.isEmpty() || l.startsWith(u'#'))
            return true;
        const qsizetype sp = l.indexOf(u' ');
        const QString cmd = sp < 0 ? l : l.left(sp);
        QString arg = sp < 0 ? QString() : l.mid(sp + 1).trimmed();
        auto text = [&](const Style &s, int before, int after) { addParagraph(arg, s, before, after); };
        if (cmd == QLatin1String("file")) {
            fileName = arg;
        } else if (cmd == QLatin1String("right")) {
            Style s; s.jc = QStringLiteral("right"); s.size = 21;
            text(s, 0, 120);
        } else if (cmd == QLatin1String("title")) {
            Style s; s.jc = QStringLiteral("center"); s.size = 44; s.bold = true; s.font = QStringLiteral("黑体");
            text(s, 240, 240);
        } else if (cmd == QLatin1String("subtitle")) {
            Style s; s.jc = QStringLiteral("center"); s.size = 30; s.bold = true;
            text(s, 120, 120);
        } else if (cmd == QLatin1String("center")) {
            Style s; s.jc = QStringLiteral("center"); s.size = 24;
            text(s, 60, 60);
        } else if (cmd == QLatin1String("heading")) {
            Style s; s.size = 24; s.bold = true; s.font = QStringLiteral("黑体"); s.keepNext = true;
            text(s, 200, 100);
        } else if (cmd == QLatin1String("para")) {
            Style s; s.keepNext = true;
            text(s, 60, 60);
        } else if (cmd == QLatin1String("space")) {
            for (int i = 0; i < std::max(1, arg.toInt()); ++i)
                addParagraph(QString(), Style{});
        } else if (cmd == QLatin1String("page")) {
            flushTable();
            breakPending = true;
        } else if (cmd == QLatin1String("end")) {
            flushTable();
        } else if (cmd == QLatin1String("cover")) {
            // A cover line is a label and what follows it is its value.
            Row r;
            for (const QString &c : arg.split(u'|')) {
                r.cells.push_back(cell(c));
                if (r.cells.size() > 1)
                    r.cells.back().value = true;
            }
            addRow(std::move(r), true);
        } else if (cmd == QLatin1String("row")) {
            Row r;
            static const QRegularExpression h(QStringLiteral("^h=(\\d+)\\s+"));
            const auto m = h.match(arg);
            if (m.hasMatch()) {
                r.height = m.captured(1).toInt();
                arg = arg.mid(m.capturedEnd());
            }
            for (const QString &c : arg.split(u'|'))
                r.cells.push_back(cell(c));
            addRow(std::move(r), false);
        } else if (cmd == QLatin1String("list")) {
            flushTable();
            const QStringList parts = arg.split(u'|');
            const int rows = parts.value(0).trimmed().toInt();
            if (rows <= 0 || parts.size() < 2) {
                error = QStringLiteral("line %1: list needs a row count and columns").arg(lineNo);
                return false;
            }
            Row head;
            head.header = true;
            head.list = true;
            std::vector<std::pair<QString, int>> columns;
            for (qsizetype i = 1; i < parts.size(); ++i) {
                const Cell c = cell(parts[i]);
                const QStringList hp = c.text.split(u':');
                const int weight = parts[i].contains(u'*') ? c.weight : 2;
                head.cells.push_back({hp.value(0), weight, false});
                columns.emplace_back(hp.value(1), weight);
            }
            head.widths = cellWidths(head, false);
            addRow(head, false);
            for (int n = 1; n <= rows; ++n) {
                Row r;
                r.list = true;
                r.widths = head.widths;
                for (const auto &col : columns)
                    r.cells.push_back({col.first.isEmpty() ? QString::number(n)
                                                           : QStringLiteral("{%1%2}").arg(col.first).arg(n),
                                       col.second, true});
                addRow(std::move(r), false);
            }
            flushTable();
        } else {
            error = QStringLiteral("line %1: unknown directive %2").arg(lineNo).arg(cmd);
            return false;
        }
        return error.isEmpty();
    }
};

QByteArray contentTypes()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
        "<Override PartName=\"/word/settings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "</Types>");
}

QByteArray packageRels()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
        "Target=\"docProps/core.xml\"/>"
        "</Relationships>");
}

QByteArray documentRels()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" Target=\"settings.xml\"/>"
        "</Relationships>");
}

QByteArray styles()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:docDefaults><w:rPrDefault><w:rPr>"
        "<w:rFonts w:ascii=\"Times New Roman\" w:eastAsia=\"宋体\" w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>"
        "<w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\"/>"
        "</w:rPr></w:rPrDefault>"
        "<w:pPrDefault><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault>"
        "</w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
        "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name w:val=\"Normal Table\"/>"
        "<w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/>"
        "<w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
        "</w:tblCellMar></w:tblPr></w:style>"
        "</w:styles>");
}

QByteArray settings()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:defaultTabStop w:val=\"420\"/><w:characterSpacingControl w:val=\"compressPunctuation\"/>"
        "<w:compat><w:compatSetting w:name=\"compatibilityMode\" w:uri=\"http://schemas.microsoft.com/office/word\" "
        "w:val=\"15\"/></w:compat></w:settings>");
}

QByteArray coreProps(const QString &title)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>%1</dc:title></cp:coreProperties>")
        .arg(esc(title))
        .toUtf8();
}

bool writeZip(const QString &path, const std::vector<std::pair<const char *, QByteArray>> &parts)
{
    int code = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za)
        return false;
    for (const auto &p : parts) {
        zip_source_t *src = zip_source_buffer(za, p.second.constData(), zip_uint64_t(p.second.size()), 0);
        if (!src || zip_file_add(za, p.first, src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_word_template DESCRIPTION OUTPUT\n");
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QFile f(in);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read\n", argv[1]);
        return 1;
    }
    QTextStream ts(&f);
    Builder b;
    QString fileName;
    int lineNo = 0;
    while (!ts.atEnd()) {
        ++lineNo;
        if (!b.line(ts.readLine(), lineNo, fileName)) {
            std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(b.error));
            return 1;
        }
    }
    b.flushTable();
    b.addThinParagraph();
    if (!b.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(b.error));
        return 1;
    }
    const QByteArray document =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>%1"
                       "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
                       "<w:pgMar w:top=\"1134\" w:right=\"1134\" w:bottom=\"1134\" w:left=\"1134\" w:header=\"567\" "
                       "w:footer=\"567\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>")
            .arg(b.body)
            .toUtf8();
    const QString title = QFileInfo(fileName.isEmpty() ? out : fileName).completeBaseName();
    if (!writeZip(out, {{"[Content_Types].xml", contentTypes()},
                        {"_rels/.rels", packageRels()},
                        {"docProps/core.xml", coreProps(title)},
                        {"word/document.xml", document},
                        {"word/_rels/document.xml.rels", documentRels()},
                        {"word/styles.xml", styles()},
                        {"word/settings.xml", settings()}})) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
