#pragma once

#include <QHash>
#include <QString>

// The code-to-text tables for sex, technical title, education and returned
// from abroad.  The person and committee grids, the printed lists and the
// word outputs all spell codes out through these.  Codes compare exactly as
// stored ("01" is not "1", "b" is not "B").
namespace codetexts {

const QHash<QString, QString> &sex();        // 0 男, 1 女
const QHash<QString, QString> &title();      // 1 院士 ... c 工程院院士
const QHash<QString, QString> &education();  // 2 博士研究生 ... 9 其他 (no code 1)
const QHash<QString, QString> &abroad();     // 1 是, 0 否

// The text of a code, empty when the table lacks it.
QString text(const QHash<QString, QString> &table, const QString &code);

} // namespace codetexts
