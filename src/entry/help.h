#pragma once

// The help windows: one small window per topic, each showing a fixed text
// with the filling instructions of a page or of a whole registration form.
// The texts are UTF-8 files shipped as resources (":/help/<name>.txt");
// where the resource is not linked in (the test programs), they are read
// from the folder given to HelpWindow::setTextFolder.
//
// Every window is created once at start-up and shown modally; it keeps no
// state.  wireHelpButtons() connects the "帮助" buttons of the record pages
// that exist to the window of their topic, chosen by the main window's
// category: position 0 of its category choice is applied technology, any
// other position soft science or basic theory.

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    QPlainTextEdit *Memo1;
    QPushButton *Button1;

    // The text's file name, without folder ("cggk.txt").
    QString textFile() const { return m_textFile; }
    // Reads the text again (after the text folder changed).
    void reloadText();

    // Where texts are read from when the resource is absent.  Empty: the
    // resource only.
    static void setTextFolder(const QString &folder);
    static QString textFolder();
    // The text of a help file: the resource, else the text folder; empty
    // when neither holds it.
    static QString loadText(const QString &file);
    // Every help file the windows read, in no particular order.
    static QStringList textFiles();

    void Button1Click();

protected:
    enum Frame { Dialog, Sizeable };
    HelpWindow(const QString &objectName, const QString &textFile, const QString &closeCaption, Frame frame,
               QWidget *parent);
    void showEvent(QShowEvent *e) override;

private:
    QString m_textFile;
    Frame m_frame;
};

// Instructions for the whole applied-technology registration form.
class THelpForm : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpForm(QWidget *parent = nullptr);
};

// Instructions for the whole soft-science and basic-theory registration form.
class THelpForm_rj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpForm_rj(QWidget *parent = nullptr);
};

// Overview page, applied technology.
class THelpCggk : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCggk(QWidget *parent = nullptr);
};

// Overview page, soft science and basic theory.
class THelpCggkRj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCggkRj(QWidget *parent = nullptr);
};

// Intellectual property and application page.
class THelpZscq : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpZscq(QWidget *parent = nullptr);
};

// Project and appraisal page, applied technology.
class THelpCglx : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpCglx(QWidget *parent = nullptr);
};

// Shown by the project page for the other categories: the whole
// applied-technology instructions, the same text as THelpForm.
class THelpKtlxRj : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpKtlxRj(QWidget *parent = nullptr);
};

// First completing organisation page.
class THelpWcdw : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpWcdw(QWidget *parent = nullptr);
};

// Cooperating organisations list.
class THelpHzdw : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpHzdw(QWidget *parent = nullptr);
};

// Appraisal committee list.
class THelpPjwy : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpPjwy(QWidget *parent = nullptr);
};

// Completing persons list.
class THelpWcr : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpWcr(QWidget *parent = nullptr);
};

// Appraisal certificate page.
class THelpPjzs : public HelpWindow {
    Q_OBJECT
public:
    explicit THelpPjzs(QWidget *parent = nullptr);
};

extern THelpForm *HelpForm;
extern THelpForm_rj *HelpForm_rj;
extern THelpCggk *HelpCggk;
extern THelpCggkRj *HelpCggkRj;
extern THelpZscq *HelpZscq;
extern THelpCglx *HelpCglx;
extern THelpKtlxRj *HelpKtlxRj;
extern THelpWcdw *HelpWcdw;
extern THelpHzdw *HelpHzdw;
extern THelpPjwy *HelpPjwy;
extern THelpWcr *HelpWcr;
extern THelpPjzs *HelpPjzs;

// The help window a page's help button shows for a category position of the
// main window's choice (0 applied technology); nullptr when the page shows
// none for it, or the window does not exist.  `page` is the page's
// objectName ("Fpage1" ... "Fpage9"; "Fpage6" is the patents page).
HelpWindow *helpWindowFor(const QString &page, int categoryPosition);

// Shows the help window of that page for the main window's category, if
// there is one (a page's help handler).
void showPageHelp(const QString &page);
// Marks a page's help button as connected by the page itself (its own help
// handler calls showPageHelp), so wireHelpButtons passes it over.
void markHelpButtonWired(QWidget *button);

// Connects the help button of every record page that exists (found by its
// objectName among the main window's children and the top-level windows)
// to its help window.  Pages that do not exist are passed over; calling it
// again connects only buttons not yet connected.
void wireHelpButtons();
