// The query builder in the main window's lower band: an item, an operator and
// a value make a condition part; the parts, joined by and/or/not and
// parentheses, narrow the record list of the shown category and year.
#include "mainform.h"

#include "base/text.h"
#include "data/dm.h"
#include "db/error.h"
#include "forms/dbgrid.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>

namespace {

const QString InfoCaption = QStringLiteral("信息");

// The code of a code item text: the trimmed text before its first two
// blanks; a text without two blanks is a code typed by hand and counts whole.
QString codeOfItem(const QString &text)
{
    const qsizetype at = text.indexOf(QStringLiteral("  "));
    return (at < 0 ? text : text.left(at)).trimmed();
}

// The kjcg field of the chosen query item.  The items carry their field; a
// list filled without them is matched to zdxx1 by the item's name, never by
// its position (rows without a name are not listed).
QString chosenItemField(QComboBox *items)
{
    const QVariant stored = items->currentData();
    if (stored.isValid())
        return stored.toString();
    db::Table &t = DM->tblzdxx1;
    if (t.fieldCount() > 1 && t.locate(QStringLiteral("Name"), items->currentText()))
        return t.field(1).asString();
    return QString();
}

// Whether a ")" comes before its "(" outside quoted values; quoted text may
// hold any parentheses.  Unbalanced "((" passes and fails in the engine.
bool parenthesesInOrder(const QString &condition)
{
    QString s;
    bool quoted = false;
    for (QChar c : condition) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;   // a doubled quote closes and reopens
        else if (!quoted)
            s += c;
    }
    while (s.contains(QLatin1Char('(')) && s.contains(QLatin1Char(')'))) {
        const qsizetype close = s.indexOf(QLatin1Char(')'));
        if (s.indexOf(QLatin1Char('(')) > close)
            return false;
        s = s.mid(close + 1);
    }
    return true;
}

void appendToCondition(QPlainTextEdit *memo, const QString &part)
{
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::End);
    c.insertText(part);
    memo->setTextCursor(c);
}

void reopenList()
{
    DM->OpenQuerySQL(DM->Qrykjcg, ListSQL);
}

} // namespace

// Fills the query builder's items from zdxx1: each row with a name becomes
// an item carrying the row's second field (its kjcg field and dictionary key).
void FillQueryItems(db::Dataset &items, QComboBox *combo)
{
    combo->clear();
    for (items.first(); !items.eof(); items.next()) {
        const db::Field name = items.fieldByName(QStringLiteral("Name"));
        if (name.isNull())
            continue;
        combo->addItem(name.asString(), items.fieldCount() > 1 ? items.field(1).asString() : QString());
    }
}

void TMainForm::ComboBox2Change()
{
    Edit2->clear();
    if (ComboBox2->currentIndex() < 0)
        return;
    const QString t = ComboBox2->currentText();
    const QString field = chosenItemField(ComboBox2);

    auto showCodeList = [this] {
        Combobox3->show();
        Edit2->hide();
        ComboBox5->hide();
        ComboBox6->hide();
    };
    auto showEdit = [this](QToolButton *dropDown) {
        Edit2->show();
        Edit2->setReadOnly(false);
        Combobox3->hide();
        ComboBox5->setVisible(dropDown == ComboBox5);
        ComboBox6->setVisible(dropDown == ComboBox6);
    };

    if (t.contains(QStringLiteral("隶属部委"))) {
        Edit2->setReadOnly(true);
        showCodeList();
        FillComboCodeName(DM->tblLsbw, Combobox3, QStringLiteral("Bwdm"), QStringLiteral("Bwmc"), false);
    } else {
        FillComboFromDictAll(DM->Tblzdxx, field, false, Combobox3);
    }

    if (Combobox3->count() >= 2) {
        showCodeList();
    } else if (t.contains(QStringLiteral("单位所在省市"))) {
        showCodeList();
        FillComboCodeName(DM->tblProvince, Combobox3, QStringLiteral("Province_i"), QStringLiteral("Province_n"), true);
    } else {
        showEdit(nullptr);
    }

    if (HasZtflh && t.contains(QStringLiteral("图分类号")))
        showEdit(ComboBox5);
    else if (HasXkfl && t.contains(QStringLiteral("科分类号")))
        showEdit(ComboBox6);
}

void TMainForm::SpeedButton24Click()
{
    if (ComboBox2->currentIndex() < 0)
        return;
    const QString op = ComboBox4->currentText().trimmed();
    if (op.isEmpty()) {
        ShowMsg(QStringLiteral("请选择比较符！"));
        platform::abortSilently();
    }
    const QString t = ComboBox2->currentText();
    const QString field = t == QStringLiteral("评价形式(软、基)") ? QStringLiteral("item_21") : chosenItemField(ComboBox2);

    QString v;
    if (!Edit2->isHidden())
        v = t.contains(QStringLiteral("分类号")) ? codeOfItem(Edit2->text()) : Edit2->text();
    else
        v = codeOfItem(Combobox3->currentText());
    v = EscapeSqlQuotes(v);

    QString part = QLatin1Char(' ') + field;
    if (op == QStringLiteral("包含")) {
        // A '%' or '_' typed in the value stands for itself, not for any text.
        const bool wild = v.contains(QLatin1Char('%')) || v.contains(QLatin1Char('_'));
        if (wild) {
            v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            v.replace(QLatin1Char('%'), QStringLiteral("\\%"));
            v.replace(QLatin1Char('_'), QStringLiteral("\\_"));
        }
        part += QStringLiteral(" like '%") + v + QStringLiteral("%'");
        if (wild)
            part += QStringLiteral(" escape '\\'");
    } else
        part += QLatin1Char(' ') + op + QLatin1Char('\'') + v + QLatin1Char('\'');
    appendToCondition(MMSysV, part);
}

void TMainForm::InsertConditionText(const QString &text)
{
    QTextCursor c = MMSysV->textCursor();
    c.insertText(text);
    c.movePosition(QTextCursor::End);
    MMSysV->setTextCursor(c);
}

void TMainForm::SpeedButton23Click()
{
    // The memo is read-only for typing, so its own cut would do nothing.
    QTextCursor c = MMSysV->textCursor();
    if (!c.hasSelection())
        return;
    QString cut = c.selectedText();
    cut.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(cut);
    c.removeSelectedText();
    MMSysV->setTextCursor(c);
}

void TMainForm::SpeedButton16Click()
{
    // A search shows other rows; the marks and the lock stay as they are
    // until a record is chosen.
    BulkListWork bulk(this);
    ListSQL = DM->Qrykjcg.sql();
    const QString condition = MMSysV->toPlainText();
    if (!parenthesesInOrder(condition)) {
        ShowMsg(QStringLiteral("您的查询语句含有不正确的的“（”“）”,请修改！"));
        platform::abortSilently();
    }
    if (condition.trimmed().isEmpty()) {
        platform::messageBox(this, QStringLiteral("没有条件无法查询!"), InfoCaption, platform::Icon::Information,
                             platform::Ok);
        reopenList();
        return;
    }

    const QString year = cbYear->currentText().trimmed().left(4);
    const QString within = QStringLiteral(" ) and (item_cglb='%1'").arg(ComboBox1->currentIndex() + 1)
        + (base::isYear(year) ? QStringLiteral(" and item_4 like '") + year + QStringLiteral("%')")
                        : QStringLiteral(" and 1=0)"));
    QString error;
    try {
        db::Query &q = DM->Qrykjcg;
        q.close();
        q.setDatabaseName(DataPath);
        q.setSQL(QStringList({QStringLiteral("select * from kjcg"), QStringLiteral(" where  ("), condition.trimmed(),
                              within})
                     .join(QLatin1Char('\n')));
        q.open();
        RenumberList();
        q.first();
        if (q.isEmpty()) {
            platform::messageBox(this, QStringLiteral("没找到符合条件的条目,请再输入合适语句!"), InfoCaption,
                                 platform::Icon::Information, platform::Ok);
            reopenList();
        }
        return;
    } catch (const base::Error &) {
        error = QStringLiteral("条件输入有误，请检查");
    } catch (const std::exception &) {
        error = QStringLiteral("请检查查询输入框,重新选择条件");
    }
    // A failure while numbering can leave the grid detached from the list.
    DBGrid1->setDataSource(&DM->DSQkjcg);
    if (platform::messageBox(this, error, platform::AttentionCaption, platform::Icon::Question, platform::Ok)
        == platform::Ok)
        reopenList();
}

void TMainForm::SpeedButton26Click()
{
    BulkListWork bulk(this);
    RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
    RenumberList();
    MMSysV->clear();
}
