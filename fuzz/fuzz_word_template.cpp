// A template file from the data folder as the Word filler reads it: any
// bytes give a document or a message, never a crash.  An input whose first
// byte is odd is taken as the main part of a package that is otherwise
// sound, so the bookmark search and the insertion see arbitrary XML rather
// than archives that fail their checksums.

#include "output/word/docxfiller.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <cstddef>
#include <cstdint>

namespace {

bool writePackage(const QString &path, const QByteArray &mainPart)
{
    static const QByteArray types(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml\"/></Types>");
    static const QByteArray rels(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>");
    int code = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za)
        return false;
    for (const auto &[name, data] : {std::pair{"[Content_Types].xml", &types}, std::pair{"_rels/.rels", &rels},
                                     std::pair{"word/document.xml", &mainPart}}) {
        zip_source_t *src = zip_source_buffer(za, data->constData(), zip_uint64_t(data->size()), 0);
        if (!src || zip_file_add(za, name, src, 0) < 0) {
            if (src)
                zip_source_free(src);
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("t.dot"));
    const QString doc = dir.filePath(QStringLiteral("d.docx"));
    if (size > 0 && (data[0] & 1)) {
        if (!writePackage(tpl, QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1))))
            return 0;
    } else {
        QFile f(tpl);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
        f.close();
    }
    word::documentBookmarks(tpl);
    const word::FillResult r = word::fillDocument(
        tpl, doc,
        {{QStringLiteral("item_3"), QStringLiteral("名称\r\n第二行\t完")},
         {QStringLiteral("ITEM_3"), QStringLiteral("续")},
         {QStringLiteral("item_180_1"), QStringLiteral("甲")},
         {QStringLiteral("a"), QStringLiteral("乙\x01")}});
    if (r.ok)
        word::filledTexts(tpl, doc);
    QFile::remove(doc);
    return 0;
}
