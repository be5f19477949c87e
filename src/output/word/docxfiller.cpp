#include "output/word/docxfiller.h"

#include "platform/core/syserror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <pugixml.hpp>
#include <zip.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

namespace word {

namespace {

const char *const kTemplateType = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const char *const kDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
const char *const kOfficeDocumentRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";

struct Entry {
    QByteArray name;
    QByteArray data;
};

// libzip's reason, in the program's words.
QString zipReason(zip_error_t *e)
{
    if (zip_error_system_type(e) == ZIP_ET_SYS && zip_error_code_system(e) != 0)
        return platform::systemErrorText(zip_error_code_system(e));
    if (zip_error_system_type(e) == ZIP_ET_ZLIB)
        return QStringLiteral("压缩的内容已损坏");
    switch (zip_error_code_zip(e)) {
    case ZIP_ER_NOZIP: return QStringLiteral("不是本程序能读的Word模板格式");
    case ZIP_ER_INCONS: return QStringLiteral("文件结构前后不一致，文件已损坏");
    case ZIP_ER_CRC: return QStringLiteral("校验和不符，文件已损坏");
    case ZIP_ER_EOF: return QStringLiteral("文件不完整");
    case ZIP_ER_NOENT: return QStringLiteral("文件不存在");
    case ZIP_ER_MEMORY: return QStringLiteral("内存不足");
    case ZIP_ER_COMPNOTSUPP: return QStringLiteral("使用了不支持的压缩方式");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD: return QStringLiteral("文件已加密");
    case ZIP_ER_RDONLY: return QStringLiteral("文件是只读的");
    case ZIP_ER_OPEN: return QStringLiteral("无法打开文件");
    case ZIP_ER_READ: return QStringLiteral("读取出错");
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_RENAME: return QStringLiteral("写入出错");
    default: return QStringLiteral("文件格式错误（代码 %1）").arg(zip_error_code_zip(e));
    }
}

QString zipReason(int code)
{
    zip_error_t ze;
    zip_error_init_with_code(&ze, code);
    const QString reason = zipReason(&ze);
    zip_error_fini(&ze);
    return reason;
}

// The first bytes of an OLE compound file: the binary word-processor
// formats (.doc, .dot) are such files.
bool isCompoundFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

QString templateReadError(const QString &path, const QString &reason)
{
    const QString name = QFileInfo(path).fileName();
    if (isCompoundFile(path))
        return QStringLiteral("模板“%1”是旧的二进制Word格式，本程序只能填写“.dotx”格式的Word模板。"
                              "请用文字处理软件打开它，另存为“Word 模板（.dotx）”格式，"
                              "再把文件改名为“%1”，放回数据文件夹 %2。")
            .arg(name, QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    return QStringLiteral("模板“%1”无法读出：%2").arg(QDir::toNativeSeparators(path), reason);
}

// Every member of a zip archive in archive order; false with `error` set
// when the file cannot be read as one.
bool readArchive(const QString &path, std::vector<Entry> &out, QString &error)
{
    int code = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!za) {
        error = templateReadError(path, zipReason(code));
        return false;
    }
    std::unique_ptr<zip_t, void (*)(zip_t *)> guard(za, [](zip_t *z) { zip_discard(z); });
    const zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_NAME)) {
            error = templateReadError(path, zipReason(zip_get_error(za)));
            return false;
        }
        if (st.size > 256u * 1024 * 1024) {
            error = QStringLiteral("模板“%1”中的 %2 过大").arg(QDir::toNativeSeparators(path), QString::fromUtf8(st.name));
            return false;
        }
        Entry e;
        e.name = QByteArray(st.name);
        e.data.resize(qsizetype(st.size));
        zip_file_t *f = zip_fopen_index(za, i, 0);
        if (!f) {
            error = templateReadError(path, zipReason(zip_get_error(za)));
            return false;
        }
        const zip_int64_t got = e.data.isEmpty() ? 0 : zip_fread(f, e.data.data(), st.size);
        zip_fclose(f);
        if (got != zip_int64_t(st.size)) {
            error = QStringLiteral("模板“%1”中的 %2 无法读出").arg(QDir::toNativeSeparators(path), QString::fromUtf8(st.name));
            return false;
        }
        out.push_back(std::move(e));
    }
    return true;
}

bool writeArchive(const QString &path, const std::vector<Entry> &entries, QString &error)
{
    const auto writeError = [&path](const QString &reason) {
        return QStringLiteral("无法写入%1：%2").arg(QDir::toNativeSeparators(path), reason);
    };
    int code = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za) {
        error = writeError(zipReason(code));
        return false;
    }
    for (const Entry &e : entries) {
        zip_source_t *src = zip_source_buffer(za, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        if (!src || zip_file_add(za, e.name.constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (src)
                zip_source_free(src);
            error = writeError(zipReason(zip_get_error(za)));
            zip_discard(za);
            QFile::remove(path);
            return false;
        }
    }
    if (zip_close(za) != 0) {
        error = writeError(zipReason(zip_get_error(za)));
        zip_discard(za);
        QFile::remove(path);
        return false;
    }
    return true;
}

Entry *findEntry(std::vector<Entry> &entries, const QByteArray &name)
{
    for (Entry &e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

const unsigned kParse = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;

bool parse(pugi::xml_document &doc, const QByteArray &data)
{
    return doc.load_buffer(data.constData(), size_t(data.size()), kParse, pugi::encoding_utf8);
}

QByteArray serialise(const pugi::xml_document &doc)
{
    std::ostringstream s;
    doc.save(s, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string str = s.str();
    return QByteArray(str.data(), qsizetype(str.size()));
}

// The main part's name, from the package relationships.
QByteArray mainPartName(std::vector<Entry> &entries)
{
    if (Entry *rels = findEntry(entries, "_rels/.rels")) {
        pugi::xml_document doc;
        if (parse(doc, rels->data))
            for (pugi::xml_node r : doc.child("Relationships").children("Relationship"))
                if (std::string(r.attribute("Type").value()) == kOfficeDocumentRel) {
                    QByteArray target(r.attribute("Target").value());
                    while (target.startsWith('/'))
                        target.remove(0, 1);
                    return target;
                }
    }
    return "word/document.xml";
}

struct Mark {
    pugi::xml_node start, end;
};

// Bookmarks of a part by lower-case name, in document order.
QList<QPair<QString, Mark>> collectMarks(pugi::xml_node root)
{
    QList<QPair<QString, Mark>> marks;
    QHash<QString, qsizetype> byId;
    struct Walker : pugi::xml_tree_walker {
        QList<QPair<QString, Mark>> *marks;
        QHash<QString, qsizetype> *byId;
        bool for_each(pugi::xml_node &n) override
        {
            const char *name = n.name();
            if (std::strcmp(name, "w:bookmarkStart") == 0) {
                byId->insert(QString::fromUtf8(n.attribute("w:id").value()), marks->size());
                marks->append({QString::fromUtf8(n.attribute("w:name").value()), Mark{n, {}}});
            } else if (std::strcmp(name, "w:bookmarkEnd") == 0) {
                const auto it = byId->constFind(QString::fromUtf8(n.attribute("w:id").value()));
                if (it != byId->constEnd() && !(*marks)[*it].second.end)
                    (*marks)[*it].second.end = n;
            }
            return true;
        }
    } walker;
    walker.marks = &marks;
    walker.byId = &byId;
    root.traverse(walker);
    return marks;
}

// Where a text of the bookmark goes: after its end when that sits in a
// paragraph, else after its start.
pugi::xml_node anchorOf(const Mark &m)
{
    if (m.end && std::strcmp(m.end.parent().name(), "w:p") == 0)
        return m.end;
    if (m.start && std::strcmp(m.start.parent().name(), "w:p") == 0)
        return m.start;
    return {};
}

void copyRunProperties(pugi::xml_node paragraph, pugi::xml_node run)
{
    pugi::xml_node props = paragraph.child("w:pPr").child("w:rPr");
    if (!props)
        return;
    pugi::xml_node copy = run.append_copy(props);
    for (const char *revision : {"w:ins", "w:del", "w:moveFrom", "w:moveTo", "w:rPrChange"})
        while (pugi::xml_node r = copy.child(revision))
            copy.remove_child(r);
}

void appendText(pugi::xml_node run, const QString &segment)
{
    const QStringList pieces = segment.split(u'\t');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            run.append_child("w:tab");
        if (pieces[i].isEmpty())
            continue;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(pieces[i].toUtf8().constData());
    }
}

pugi::xml_node insertRun(pugi::xml_node after, const QString &text)
{
    pugi::xml_node paragraph = after.parent();
    pugi::xml_node run = paragraph.insert_child_after("w:r", after);
    copyRunProperties(paragraph, run);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineEnd);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            run.append_child("w:br");
        appendText(run, lines[i]);
    }
    return run;
}

bool turnIntoDocument(Entry &types)
{
    pugi::xml_document doc;
    if (!parse(doc, types.data))
        return false;
    for (pugi::xml_node o : doc.child("Types").children("Override"))
        if (std::strcmp(o.attribute("ContentType").value(), kTemplateType) == 0)
            o.attribute("ContentType").set_value(kDocumentType);
    types.data = serialise(doc);
    return true;
}

// The text of a run as the filler writes it: breaks as "\r", tabs as "\t".
QString runText(pugi::xml_node run)
{
    QString s;
    for (pugi::xml_node c : run.children()) {
        if (std::strcmp(c.name(), "w:t") == 0)
            s += QString::fromUtf8(c.text().get());
        else if (std::strcmp(c.name(), "w:br") == 0)
            s += u'\r';
        else if (std::strcmp(c.name(), "w:tab") == 0)
            s += u'\t';
    }
    return s;
}

int runsAfter(pugi::xml_node anchor)
{
    int n = 0;
    for (pugi::xml_node s = anchor.next_sibling(); s && std::strcmp(s.name(), "w:r") == 0; s = s.next_sibling())
        ++n;
    return n;
}

bool loadMainPart(const QString &path, pugi::xml_document &doc)
{
    std::vector<Entry> entries;
    QString error;
    if (!readArchive(path, entries, error))
        return false;
    Entry *main = findEntry(entries, mainPartName(entries));
    return main && parse(doc, main->data);
}

} // namespace

QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
                out += text[i];
                out += text[i + 1];
                ++i;
            }
            continue;
        }
        if (QChar::isLowSurrogate(c))
            continue;
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            continue;
        if (c == 0xFFFE || c == 0xFFFF)
            continue;
        out += text[i];
    }
    return out;
}

FillResult fillDocument(const QString &templatePath, const QString &documentPath, const BookmarkTexts &texts)
{
    FillResult result;
    std::vector<Entry> entries;
    if (!readArchive(templatePath, entries, result.error))
        return result;
    Entry *main = findEntry(entries, mainPartName(entries));
    Entry *types = findEntry(entries, "[Content_Types].xml");
    pugi::xml_document doc;
    if (!main || !types || !parse(doc, main->data)) {
        result.error = QStringLiteral("模板“%1”不是Word文档").arg(QDir::toNativeSeparators(templatePath));
        return result;
    }
    if (!turnIntoDocument(*types)) {
        result.error = QStringLiteral("模板“%1”已损坏（内容类型清单不完整）").arg(QDir::toNativeSeparators(templatePath));
        return result;
    }

    QHash<QString, pugi::xml_node> last;  // where the next text of a bookmark goes
    for (const auto &m : collectMarks(doc)) {
        const QString key = m.first.toLower();
        if (!last.contains(key))
            if (pugi::xml_node a = anchorOf(m.second))
                last.insert(key, a);
    }
    for (const auto &t : texts) {
        const QString key = t.first.toLower();
        auto it = last.find(key);
        if (it == last.end()) {
            if (!result.missing.contains(t.first))
                result.missing << t.first;
            continue;
        }
        const QString text = xmlSafe(t.second);
        if (!text.isEmpty())
            *it = insertRun(*it, text);
    }
    main->data = serialise(doc);
    if (!writeArchive(documentPath, entries, result.error))
        return result;
    result.ok = true;
    return result;
}

QByteArray archiveMember(const QString &path, const QString &name)
{
    std::vector<Entry> entries;
    QString error;
    if (!readArchive(path, entries, error))
        return QByteArray();
    const Entry *e = findEntry(entries, name.toUtf8());
    return e ? e->data : QByteArray();
}

QStringList documentBookmarks(const QString &path)
{
    pugi::xml_document doc;
    QStringList names;
    if (!loadMainPart(path, doc))
        return names;
    for (const auto &m : collectMarks(doc))
        names << m.first;
    return names;
}

BookmarkTexts filledTexts(const QString &templatePath, const QString &documentPath)
{
    BookmarkTexts out;
    pugi::xml_document before, after;
    if (!loadMainPart(templatePath, before) || !loadMainPart(documentPath, after))
        return out;
    QHash<QString, int> templateRuns;
    for (const auto &m : collectMarks(before))
        if (pugi::xml_node a = anchorOf(m.second))
            templateRuns.insert(m.first.toLower(), runsAfter(a));
    for (const auto &m : collectMarks(after)) {
        pugi::xml_node a = anchorOf(m.second);
        if (!a)
            continue;
        const int added = runsAfter(a) - templateRuns.value(m.first.toLower());
        QString text;
        pugi::xml_node r = a.next_sibling();
        for (int i = 0; i < added; ++i, r = r.next_sibling())
            text += runText(r);
        out.append({m.first, text});
    }
    return out;
}

} // namespace word
