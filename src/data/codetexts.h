#pragma once

#include <QHash>
#include <QString>

// The code-to-text tables of sex, technical title, education and returned
// from abroad: one set for the person and committee grids, the printed
// lists and the word output (texts with the two leading blanks the grids
// show).
namespace codetexts {
const QHash<QString, QString> &sex();          // 0 男, 1 女
const QHash<QString, QString> &title();        // 1 院士 ... c 工程院院士
const QHash<QString, QString> &education();    // 2 博士研究生 ... 9 其他
const QHash<QString, QString> &abroad();       // 1 是, 0 否
} // namespace codetexts
