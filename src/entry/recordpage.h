#pragma once

// The record pages: entry windows that edit fields of the current record
// (DM->Qrykjcg) and write them back with "储存" and "退出".
//
// A page derives from RecordPage and supplies four things:
//
//   loadFields()   copies the current record into the controls (the base's
//                  load() then sets the caption "成果名称：" + ITEM_3 and
//                  clears the change marker);
//   checks()       the page's rules in screen order; the first rule that
//                  fails calls fail(focus, message), which tells the user,
//                  moves the focus and ends the handler quietly;
//   collect(v)     computes every value the page stores, in its stored
//                  form, into a RecordValues, without touching the record;
//   (optionally)   afterSave() for what the page does once the row is
//                  posted, and isChanged() when a plain comparison of the
//                  collected values with the record is not the right test.
//
// save() runs checks(), collect() and only then edits, sets every field and
// posts; whatever goes wrong on the way, the edit is cancelled, so no
// half-written row is ever left pending.  quit() runs checks(), asks
// "记录已经更改,是否保存？" when isChanged(), and closes (unless a wanted
// save failed).  Closing recomputes the main window's command state.
//
// Controls that cannot be compared with a field call markChanged() from
// their change handlers (a hidden edit serves as the marker).
//
// The building blocks of the pages' controls (code panels of check boxes and
// radio buttons named after their codes, figure edits, split date edits and
// code-item combos) are in src/forms; checkFigure(), which tells the user
// through the main window, follows the class.

#include <QDate>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include "db/value.h"
#include "forms/codeitem.h"
#include "forms/codepanel.h"
#include "forms/dateedit.h"
#include "forms/figureedit.h"

class QAbstractButton;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// A refused check of a page or dialog: tells the user through the main
// window's message (a box of the owner without one), puts the focus on the
// field and ends the handler silently.
[[noreturn]] void refuseField(QWidget *owner, QWidget *focus, const QString &message);

namespace db { class Dataset; }

// The values a page stores, in the order it computed them.  Texts are
// stored as given (an empty text clears the field); dates as dates (an
// invalid date clears the field).
class RecordValues {
public:
    struct Entry {
        QString field;
        QString text;
        bool isDate = false;
        QDate date;
        bool compared = true;
    };

    // Setting a field a second time replaces its value.  A value set with
    // `compared` false is stored by a save but left out of the unsaved-
    // change test (clean-ups of fields the page does not show).
    void set(const QString &field, const QString &text, bool compared = true);
    void setDate(const QString &field, const QDate &date, bool compared = true);

    bool contains(const QString &field) const { return indexOf(field) >= 0; }
    QString text(const QString &field) const;
    const QVector<Entry> &entries() const { return m_entries; }

    // Writes every value into the current row of `ds` (in Edit or Insert
    // state).
    void writeTo(db::Dataset &ds) const;
    // The compared fields whose value differs from what the current row of
    // `ds` holds (texts ignoring trailing blanks, numbers by value, dates
    // as dates).
    QStringList differences(db::Dataset &ds) const;

private:
    int indexOf(const QString &field) const;
    Entry &slot(const QString &field);
    QVector<Entry> m_entries;
};

class RecordPage : public QDialog {
    Q_OBJECT
public:
    // `pageButton` is the objectName of the main window's page button the
    // page marks complete; `pageCaption` the caption that button carries.
    RecordPage(const QString &objectName, const QString &pageButton, const QString &pageCaption,
               QWidget *parent = nullptr);

    static constexpr int PageWidth = 800;
    static constexpr int PageHeight = 600;

    // Copies the current record into the controls and sets the caption.
    virtual void load();
    // Validates, computes and writes; true when the row was posted.  A
    // failed check returns false after its message; a database error is
    // shown (caption "提示") and returns false.  Either way nothing of the
    // save stays pending.
    virtual bool save();
    // "退出": validates (throws platform::SilentAbort on a failed rule),
    // asks about unsaved changes, closes.
    virtual void quit();
    // Whether the controls hold something the record does not.
    virtual bool isChanged();

    // The button handlers as connected to "储存" and "退出".
    void btnSave01Click();
    void quit01Click();

    // The main window's page button (nullptr without a main window).
    QPushButton *pageButton() const;

    // The change marker: a hidden edit; any text in it counts as a change.
    QLineEdit *changeMarker() const { return m_marker; }
    void markChanged();
    void clearChangeMarker();

    // The values a save would store now (runs collect()).
    RecordValues pendingValues();

    // The record's category ("1" applied technology, "2" soft science, "3"
    // basic theory): ITEM_CGLB of the current record, or the main window's
    // category choice when the record has none.
    static QString recordCategory();
    static bool appliedTechnology() { return recordCategory() == QLatin1String("1"); }
    // A field of the current record as text ("" when null).
    static QString recordText(const QString &field);

    void reject() override;

    // The buttons of makeButtonRow().
    QPushButton *btnSave01 = nullptr;
    QPushButton *quit01 = nullptr;
    QPushButton *Button3 = nullptr;

signals:
    // Emitted after a successful save.
    void saved();

protected:
    virtual void loadFields() = 0;
    virtual void checks() = 0;
    virtual void collect(RecordValues &values) = 0;
    // After the row is posted, before "储存成功！".
    virtual void afterSave() {}

    // Shows `message`, focuses `focus` (when given) and ends the handler.
    [[noreturn]] void fail(QWidget *focus, const QString &message);

    // The standard bottom row: "储存" (btnSave01), "退出" (quit01) and
    // "帮助" (Button3), laid out right-aligned, in this order on every page;
    // a page whose buttons carry other names gives them.  Returns the row.
    QWidget *makeButtonRow(QWidget *parent, const char *quitName = "quit01", const char *helpName = "Button3");

    // The heading panel across the top.
    QLabel *makeHeading(QWidget *parent, const QString &text);

    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void formClose();
    QString m_pageButton;
    QString m_pageCaption;
    QLineEdit *m_marker;
    bool m_leaving = false;
};

// When the trimmed text is not empty and does not read as a number: shows
// `prefix` + text + " 不是正确的数据格式！现在已经置零" and sets "0".
// Returns whether the text reads as a number.  Text the user is still at
// (typed or pasted, the edit not yet left) is not judged: the edit's judge
// (makeFigureEdit) calls again once he leaves it.
bool checkFigure(QLineEdit *edit, const QString &prefix = QString());
