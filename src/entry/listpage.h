#pragma once

// The list pages (completing persons, cooperating organisations, committee,
// patents, discipline leaders) and their add/edit dialogs.
//
// A list page shows the rows one record (or the organisation) owns in a
// read-only grid and changes them through a small dialog.  The rows are
// either a parameterised query with cached updates (QryCgwcr, QryCgwcdw,
// QryJdwyhmd: the record's rows in list order) or a table object filtered
// to its owner (tblzlqk, Tblexpert).  Every change reaches the physical row
// it was read from: the engine applies a cached update to the row the query
// read, and on a table the base keeps the row's identity (currentRow /
// gotoRow) instead of searching for it by its order number.
//
// A page derives from ListPage:
//
//   constructor    ListPage(objectName, listName, ButtonNames, parent) builds
//                  the title panel (list name and buttons) and the grid
//                  `grid` over the rest; the page then sets its columns
//                  (grid->setColumns, setCodeTexts for code columns) and
//                  calls useQuery(query, source, statement) or
//                  useTable(table, source), plus setOrderField(field) when
//                  the list keeps order numbers 1..n.
//   dialog()       the page's add/edit dialog (the global instance).
//   load()         (as given) reopens the list for the current record and
//                  sets the caption "成果名称：" + ITEM_3; a page adds what
//                  its opening does (renumbering, filters) before calling it.
//   canQuit()      whether "退出" may leave (default yes); the page says why
//                  not itself.  Leaving marks the page button complete when
//                  setPageButton() named one.
//   help()         what "帮助" does besides what wireHelpButtons() (help.h)
//                  connects to the button (default nothing).
//   options        setRenumberOnDelete(), setUpdateCommandStateOnClose(),
//                  setCloseBox() for the pages that differ.
//
// The base's handlers: addClick() sets the dialog caption
// "新增－－【" + list name + "】" and shows it modally; editClick() sets
// "修改－－【...】" (the add caption on an empty list); deleteClick() asks
// "是否删除该项目？!" (caption "提示信息", Yes/No), deletes the selected row
// and writes it at once, reopens, renumbers (when the page does) and
// selects the row that now carries the deleted row's number; quitClick().
// Helpers for the dialogs: appendRow(fill), editCurrentRow(fill) (each posts
// and writes at once, and cancels on any failure), renumber(), reopen(),
// selectOrder(n), rowCount(), nextOrder().
//
// A dialog derives from ListDialog:
//
//   listPage()      its page (the global instance).
//   loadForAdd()    empties the controls (fill combos in prepare()).
//   loadForEdit()   copies the selected row (listPage()->rows()) in.
//   prepare()       runs before either (fill code combos).
//   inputEmpty(forQuit)  the main inputs are all empty: save only closes,
//                   quit closes without a question.
//   validate()      the checks in order; a failure calls fail(focus, msg).
//   store(mode)     adds or changes the row through the page's helpers,
//                   reopens and renumbers as the list does.
//   afterStored()   (optional) e.g. empties edits after an add.
//   isUnchanged()   whether the controls equal the selected row; the
//                   change marker (changeMarker(), hidden edit) counts as a
//                   change when not empty; markChanged() from code-combo
//                   handlers.
//   changedQuestion()  the quit question text.
//
// save() learns the mode from the caption only (mode()); another caption
// makes it do nothing.  On success it shows "储存成功！" and closes.
// quit() closes at once on empty inputs; otherwise, when something differs,
// asks the question (caption "请注意！", Yes/No): Yes runs the save; the
// dialog closes in every case.

#include "forms/dbgrid.h"
#include "data/codetexts.h"

#include <QDialog>
#include <QHash>
#include <QStyledItemDelegate>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class ListDialog;
class QHBoxLayout;
class QPushButton;

namespace db { class Dataset; class DataSource; class Query; class Table; }

// Shows stored codes of a grid column as texts ("0" -> "  男", tables in
// data/codetexts.h); values without an entry stay as stored.
class CodeTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CodeTextDelegate(const QHash<QString, QString> &texts, QObject *parent);
    QString displayText(const QVariant &value, const QLocale &locale) const override;

private:
    QHash<QString, QString> m_texts;
};


class ListPage : public QDialog {
    Q_OBJECT
public:
    struct ButtonNames {
        QString add = QStringLiteral("Button2");
        QString del = QStringLiteral("Button1");
        QString edit = QStringLiteral("Button3");
        QString help;                      // empty: the page has no help button
        QString quit = QStringLiteral("quit01");
        // The names the record's list pages (cooperating organisations,
        // patents, committee) give their buttons.
        static ButtonNames recordList()
        {
            ButtonNames n;
            n.edit = QStringLiteral("btnSave01");
            n.help = QStringLiteral("Button3");
            return n;
        }
    };

    ListPage(const QString &objectName, const QString &listName, const ButtonNames &names,
             QWidget *parent = nullptr);

    static constexpr int PageWidth = 800;
    static constexpr int PageHeight = 600;

    static QString addCaption(const QString &listName);
    static QString editCaption(const QString &listName);

    const QString &listName() const { return m_listName; }
    virtual ListDialog *dialog() const = 0;

    // Reopens the list for the current record and sets the caption.
    virtual void load();
    // Re-reads the list: a query is reopened with the current record's key
    // as its parameters; a table view is refreshed as it stands.
    void reopen();

    db::Dataset &rows() const;
    int rowCount() const;
    // The next order number: the row count plus one, or one more than the
    // largest order number when that is already taken.
    int nextOrder() const;

    // Appends a row, lets `fill` set its fields, posts and writes it to the
    // table; on any failure the append is cancelled and the error passed on.
    void appendRow(const std::function<void(db::Dataset &)> &fill);
    // The same for the selected row.
    void editCurrentRow(const std::function<void(db::Dataset &)> &fill);
    // Writes what is posted to the table file (cached updates applied).
    void writeRows();
    // Order numbers 1..n in list order, each row posted and written; the
    // selection returns to the row it was on.
    void renumber();
    // Selects the row with this order number; the last row when none has it.
    void selectOrder(int order);
    // The selected row's order number (0 when none or unreadable).
    int currentOrder() const;

    // Sets the current record's ITEM_4 and ITEM_DQDM into the row.
    static void writeRecordKey(db::Dataset &ds);

    // The buttons (named after the page's ButtonNames).
    QPushButton *btnAdd = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnHelp = nullptr;
    QPushButton *btnQuit = nullptr;
    DBGrid *grid = nullptr;
    QLabel *heading = nullptr;

    // Handlers (run through platform::runHandler).
    void addClick();
    void editClick();
    void deleteClick();
    void helpClick();
    void quitClick();

    void reject() override;

protected:
    // The list: a cached-update query reopened with `statement` (parameters
    // item_4 and item_dqdm), or a table filtered by its user.
    void useQuery(db::Query *query, db::DataSource *source, const QString &statement);
    void useTable(db::Table *table, db::DataSource *source);
    // The order field renumbered 1..n (empty: the list keeps no numbers).
    void setOrderField(const QString &field) { m_orderField = field; }
    const QString &orderField() const { return m_orderField; }
    // Main window button marked complete (caption: the list name) on quit.
    void setPageButton(const QString &name) { m_pageButton = name; }
    void setRenumberOnDelete(bool on) { m_renumberOnDelete = on; }
    void setUpdateCommandStateOnClose(bool on) { m_updateCommandState = on; }
    void setCloseBox(bool on);
    // Shows codes of a grid column as texts.
    void setCodeTexts(const QString &field, const QHash<QString, QString> &texts);

    virtual bool canQuit() { return true; }
    virtual void help() {}
    // After a delete (the list reopened, renumbered and positioned).
    virtual void afterDelete() {}

    void markPageComplete();

    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void formClose();
    QString m_listName;
    QString m_orderField;
    QString m_pageButton;
    QString m_statement;
    db::Query *m_query = nullptr;
    db::Table *m_table = nullptr;
    db::DataSource *m_source = nullptr;
    bool m_renumberOnDelete = true;
    bool m_updateCommandState = true;
    bool m_closeBox = false;
    bool m_leaving = false;
};

class ListDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { None, Add, Edit };

    ListDialog(const QString &objectName, const QString &listName, QWidget *parent = nullptr,
               const QString &markerName = QStringLiteral("Edit1"));

    virtual ListPage *listPage() const = 0;
    const QString &listName() const { return m_listName; }
    // The mode the caption names.
    Mode mode() const;

    // "储存": true when a row was stored.
    bool save();
    // "退出".
    void quit();
    void saveClick();
    void quitClick();

    QLineEdit *changeMarker() const { return m_marker; }
    void markChanged();

    void reject() override;

protected:
    virtual void prepare() {}
    virtual void loadForAdd() = 0;
    virtual void loadForEdit() = 0;
    virtual bool inputEmpty(bool forQuit) = 0;
    virtual void validate() = 0;
    virtual void store(Mode mode) = 0;
    virtual void afterStored(Mode) {}
    virtual bool isUnchanged() = 0;
    virtual QString changedQuestion() const { return QStringLiteral("记录已更改，是否保存后退出？"); }

    [[noreturn]] void fail(QWidget *focus, const QString &message);
    void leave();
    // The dialog's closing row: "储存" (Button1) and "退出" (Button2),
    // connected to save and quit.
    QHBoxLayout *makeButtonRow(QPushButton *&save, QPushButton *&quit);

    void showEvent(QShowEvent *e) override;

private:
    QString m_listName;
    QLineEdit *m_marker;
};
