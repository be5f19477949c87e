#pragma once

// The add/edit dialogs of the list pages (listpage.h).
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
// asks the question (caption "请注意！", Yes/No): Yes runs the save, and a
// save refused by its checks keeps the dialog open on the failing field;
// otherwise the dialog closes.

#include <QDialog>
#include <QString>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;
class ListPage;

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
