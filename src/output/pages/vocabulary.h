#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The check-box vocabulary of the printed registration form: for every coded
// item, the codes that have a box and the text printed beside each box, line
// by line in printed order.  The texts are the form's own; they are not read
// from the dictionary.  Loaded from resources/forms/vocabulary.txt.

enum class FormFamily { Applied, BasicTheory };   // "yy" and "rj" pages

struct CheckOption {
    QString code;
    QString text;
};

struct CheckItem {
    QString field;                      // as the boxes spell it: ITEM_51_1, patent_ty
    QString prefix;                     // "QL_", or "QR_" for the rj evaluation row
    QString caption;                    // the item's name on the form
    bool multiple = false;              // several boxes may be ticked
    QList<int> appliedPages;            // printed page numbers in each family
    QList<int> basicPages;
    QList<QList<CheckOption>> lines;    // printed lines, boxes left to right

    // The box label of a code: prefix, field, "_", code.
    QString boxName(const QString &code) const { return prefix + field + QLatin1Char('_') + code; }
    QStringList boxNames() const;
    QList<CheckOption> options() const;  // every option in printed order
    bool hasCode(const QString &code) const;
    bool onPage(FormFamily family, int page) const;
};

// Every item of one family, in the order of the vocabulary file.
const QList<CheckItem> &checkItems(FormFamily family);
// The items a page of a family prints.
QList<CheckItem> checkItemsOnPage(FormFamily family, int page);
// The item of a field in a family; throws std::out_of_range when it has none
// (a layout asking for a row the form does not have is a programming error).
const CheckItem &checkItem(FormFamily family, const QString &field);

// Parses vocabulary text; throws std::runtime_error naming the line of a
// malformed entry.  Used for the compiled-in file and by the tests.
QList<CheckItem> parseVocabulary(const QString &text, FormFamily family);
