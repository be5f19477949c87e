#pragma once

#include <QString>
#include <QStringList>

// Marking check boxes and clearing data labels on a printed page, as pure
// rules over label names.  A page's fill asks which of its labels to tick or
// empty and sets their texts.

// The tick a marked box shows.
inline QString checkMark() { return QStringLiteral("√"); }

// True when `labelName` is the box of `field` and `code`: any three characters
// of prefix, the field exactly as spelled, one separator, then exactly the
// code.  An empty code matches nothing.
bool isCheckLabel(const QString &labelName, const QString &field, const QString &code);

// The codes a stored value ticks: a bare code as stored (not trimmed); a list
// "a;b;" gives its first three codes, trimmed, each only when its ";" follows
// it.  Empty codes are left out.
QStringList codesToMark(const QString &storedValue);

// Of `labelNames`, the boxes that `storedValue` of `field` ticks.
QStringList labelsToMark(const QStringList &labelNames, const QString &field, const QString &storedValue);

// A data label: "ITEM" or "patent" (case as written) after the third
// character of its name, like QL_ITEM_2_1 or QR_ITEM_34.  Fills empty every
// data label of a page before they set it.
bool isDataLabel(const QString &labelName);
QStringList labelsToClear(const QStringList &labelNames);
