// A template file from the data folder as the Word filler reads it: any
// bytes give a document or a message, never a crash.

#include "output/word/docxfiller.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("t.dot"));
    const QString doc = dir.filePath(QStringLiteral("d.docx"));
    QFile f(tpl);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    f.close();
    word::documentBookmarks(tpl);
    const word::FillResult r = word::fillDocument(
        tpl, doc, {{QStringLiteral("item_3"), QStringLiteral("名称\r\n第二行")}, {QStringLiteral("item_180_1"), QStringLiteral("甲")}});
    if (r.ok)
        word::filledTexts(tpl, doc);
    QFile::remove(doc);
    return 0;
}
