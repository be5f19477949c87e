#pragma once

#include "entry/treeflags.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
namespace db { class Table; }

// The text of the tree's root; choosing it writes an empty text.
extern const QString TreeRootText;   // 详细分类

// Fills `tree` from a classification table whose first three fields are the
// level, the code and the name, read in the table's order.  Under the root
// "详细分类" every row of level L hangs under the latest node of level L - 1
// seen so far; when no such node has been seen yet, under the latest node of
// the nearest lower level that has one (the root at the latest), so rows of
// any depth and rows out of order all find a place.  Rows of level 0 or less
// are passed over.  A level that is not an integer throws db::EngineError;
// the table is closed in every case.  The root ends expanded one level.
void BuildCodeTree(db::Table &table, QTreeWidget *tree);

// Lowers every flag of the three flag arrays.
void ClearTreeFlags();

// The classification tree picker.  Its callers raise one flag (treeflags.h)
// and show it modally; the flags choose the table, and "确认" writes the
// chosen node's text into the edit the raised flag stands for.  However it
// closes, the tree is emptied and every flag lowered.
class TFormTree : public QDialog {
    Q_OBJECT
public:
    explicit TFormTree(QWidget *parent = nullptr);

    QTreeWidget *TreeView1;   // images by level: the root 0, levels 1..4
                              // (deeper rows 4), a selected node 5
    QPushButton *Button1;     // 确认
    QPushButton *Button2;     // 取消

    // Chooses the table by the raised flag, builds the tree, shows it from
    // the top.  No flag raised keeps the table last used.
    void FormShow();
    // Writes the selected node's text into the flagged edit and closes;
    // with no node selected nothing happens.
    void Button1Click();
    void Button2Click();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void nodeDoubleClicked(QTreeWidgetItem *item);
};

extern TFormTree *FormTree;

// Lets the main window's query builder pick classification codes: its
// drop-downs ComboBox5 (library classification) and ComboBox6 (subject
// classification) show the picker, which writes into its value edit Edit2.
// Needs MainForm and FormTree.
void wireQueryBuilderPicker();
