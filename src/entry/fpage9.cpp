#include "fpage9.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/gbk.h"
#include "forms/gbkvalidator.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

TFpage9 *Fpage9 = nullptr;

namespace {

const QString kPageCaption = QStringLiteral("评价证书内容");
const QString kHeading = QStringLiteral("鉴 定 证 书 内 容");
constexpr int kAnyLow = std::numeric_limits<int>::min();

const char *const kMemoFields[] = {"ITEM_13_2", "ITEM_13_3", "ITEM_133", "ITEM_303"};

QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// Memo texts compare trimmed, whatever line breaks they were stored with.
QString memoForm(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s.trimmed();
}

// Caret to the start of the memo, scrolled into view unless `keepScroll`,
// and the focus to the memo.
void caretToStart(QPlainTextEdit *memo, bool keepScroll = false)
{
    const int scroll = memo->verticalScrollBar()->value();
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::Start);
    memo->setTextCursor(c);
    if (keepScroll)
        memo->verticalScrollBar()->setValue(scroll);
    else
        memo->ensureCursorVisible();
    memo->setFocus(Qt::OtherFocusReason);
}

} // namespace

TFpage9::TFpage9(QWidget *parent)
    : RecordPage(QStringLiteral("Fpage9"), QStringLiteral("btn_page09"), kPageCaption, parent)
{
    buildControls();
    // 帮助 is connected to its help window by wireHelpButtons().
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this] { platform::runHandler(this, [this] { PageControl1Change(); }); });
    for (QPlainTextEdit *m : memos())
        m->viewport()->installEventFilter(this);
    for (QWidget *w : {TabSheet1, TabSheet2, static_cast<QWidget *>(PageControl1->tabBar())})
        w->installEventFilter(this);
}

void TFpage9::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(12, 4, 12, 4);
    root->setSpacing(8);
    root->addWidget(makeHeading(this, kHeading));

    auto *head = new QHBoxLayout;
    head->setSpacing(6);
    head->addWidget(new QLabel(QStringLiteral("证书号"), this));
    Edt_301 = new QLineEdit(this);
    Edt_301->setObjectName(QStringLiteral("Edt_301"));
    limitGbkBytes(Edt_301, 80);
    head->addWidget(Edt_301, 1);
    head->addSpacing(16);
    head->addWidget(new QLabel(QStringLiteral("评价日期"), this));
    date_302 = new SplitDateEdit(this, QStringLiteral("edt_302_y"), QStringLiteral("edt_302_m"),
                                 QStringLiteral("edt_302_d"));
    date_302->setObjectName(QStringLiteral("date_302"));
    date_302->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    edt_302_y = date_302->year();
    edt_302_m = date_302->month();
    edt_302_d = date_302->day();
    head->addWidget(date_302);
    auto *hint = new QLabel(QStringLiteral("(格式YYYY.MM.DD)"), this);
    hint->setObjectName(QStringLiteral("LabelDateHint"));
    hint->setStyleSheet(QStringLiteral("color: maroon;"));
    head->addWidget(hint);
    root->addLayout(head);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto sheet = [this](QWidget *&tab, QPlainTextEdit *&memo, const char *tabName, const char *memoName,
                        const char *caption) {
        tab = new QWidget;
        tab->setObjectName(QLatin1String(tabName));
        auto *lay = new QVBoxLayout(tab);
        lay->setContentsMargins(4, 4, 4, 4);
        memo = new QPlainTextEdit(tab);
        memo->setObjectName(QLatin1String(memoName));
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        lay->addWidget(memo);
        PageControl1->addTab(tab, QString::fromUtf8(caption));
    };
    sheet(TabSheet1, Mo_13_2, "TabSheet1", "Mo_13_2", "推广应用前景与措施");
    sheet(TabSheet2, Mo_13_3, "TabSheet2", "Mo_13_3", "主要技术文件目录及来源");
    sheet(TabSheet3, Mo_133, "TabSheet3", "Mo_133", "评价委员会专家测试报告");
    sheet(TabSheet4, Mo_303, "TabSheet4", "Mo_303", "评价意见");
    root->addWidget(PageControl1, 1);

    QWidget *row = makeButtonRow(this, "Button2", "Button1");
    Button1 = Button3;
    Button2 = quit01;
    root->addWidget(row);
}

void TFpage9::loadFields()
{
    Edt_301->setText(recordText(QStringLiteral("ITEM_301")));
    const QString date = recordText(QStringLiteral("ITEM_302"));
    edt_302_y->setText(date.mid(0, 4));
    edt_302_m->setText(date.mid(5, 2));
    edt_302_d->setText(date.mid(8, 2));
    const QList<QPlainTextEdit *> ms = memos();
    for (int i = 0; i < ms.size(); ++i) {
        ms[i]->clear();
        ms[i]->setPlainText(recordText(QLatin1String(kMemoFields[i])));
    }
}

void TFpage9::checks()
{
    const QString y = edt_302_y->text().trimmed(), m = edt_302_m->text().trimmed(), d = edt_302_d->text().trimmed();
    if (!m.isEmpty() && !isIntegerIn(m, 1, 12))
        fail(edt_302_m, QStringLiteral("非法月份!"));
    if (!d.isEmpty() && !isIntegerIn(d, kAnyLow, 31))
        fail(edt_302_d, QStringLiteral("非法日期!"));
    if (!y.isEmpty() && !isValidYear(y, FirstYearOfBirth))
        fail(edt_302_y, QStringLiteral("评价日期年份不合法！"));
    // A missing part, day 0 or 30 February end here.
    if (!date_302->isEmpty() && !parseDateParts(y, m, d).isValid())
        fail(edt_302_y, QStringLiteral("日期非法!"));
}

QString TFpage9::shownDate() const
{
    if (date_302->isEmpty())
        return QString();
    return edt_302_y->text().trimmed() + QLatin1Char('.') + padTwo(edt_302_m->text()) + QLatin1Char('.')
           + padTwo(edt_302_d->text());
}

void TFpage9::collect(RecordValues &values)
{
    const int width = DM->Qrykjcg.fieldByName(QStringLiteral("ITEM_301")).size();
    values.set(QStringLiteral("ITEM_301"), db::gbk::cutText(Edt_301->text(), width));
    // The checks let only a complete date or none through.
    values.set(QStringLiteral("ITEM_302"), date_302->isIncomplete() ? QString() : shownDate());
    const QList<QPlainTextEdit *> ms = memos();
    for (int i = 0; i < ms.size(); ++i)
        values.set(QLatin1String(kMemoFields[i]), TMainForm::ReplaceTabs(ms[i]->toPlainText()));
}

bool TFpage9::save()
{
    checks();
    // The edits and memos show what is stored: trimmed, padded parts and
    // blanks for TABs.
    if (!date_302->isIncomplete())
        date_302->normalise();
    for (QPlainTextEdit *m : memos())
        if (m->toPlainText().contains(QLatin1Char('\t')))
            m->setPlainText(TMainForm::ReplaceTabs(m->toPlainText()));
    return RecordPage::save();
}

bool TFpage9::isChanged()
{
    if (!changeMarker()->text().isEmpty())
        return true;
    if (withoutTrailingBlanks(Edt_301->text()) != withoutTrailingBlanks(recordText(QStringLiteral("ITEM_301"))))
        return true;
    if (shownDate() != recordText(QStringLiteral("ITEM_302")).trimmed())
        return true;
    const QList<QPlainTextEdit *> ms = memos();
    for (int i = 0; i < ms.size(); ++i)
        if (memoForm(ms[i]->toPlainText()) != memoForm(recordText(QLatin1String(kMemoFields[i]))))
            return true;
    return false;
}

void TFpage9::quit()
{
    // No checks before the question: a date is checked only by the save it
    // asks for.  A refused or failed save keeps the page, and its four
    // texts, open; the focus is on the failing part.
    if (isChanged()) {
        const int answer = platform::messageBox(this, platform::UnsavedQuestion, platform::AttentionCaption,
                                                platform::Icon::Question, platform::Yes | platform::No);
        if (answer == platform::Yes && !save())
            return;
    }
    done(QDialog::Accepted);
}

void TFpage9::PageControl1Change()
{
    if (QPlainTextEdit *m = memos().value(PageControl1->currentIndex()))
        caretToStart(m);
}

bool TFpage9::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Right-clicking the first or second sheet (or its tab).
    if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        int sheet = -1;
        if (watched == TabSheet1 || watched == TabSheet2)
            sheet = watched == TabSheet1 ? 0 : 1;
        else if (watched == PageControl1->tabBar())
            sheet = PageControl1->tabBar()->tabAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        if (sheet == 0 || sheet == 1) {
            QPlainTextEdit *m = memos().at(sheet);
            platform::runHandler(this, [m] { caretToStart(m); });
        }
    }
    for (QPlainTextEdit *m : memos()) {
        if (watched != m->viewport())
            continue;
        if (type == QEvent::MouseButtonPress) {
            if (m == Mo_303 && Mo_303->toPlainText().trimmed().isEmpty() && !Mo_303->toPlainText().isEmpty())
                Mo_303->clear();
            // Clicking into a memo that did not have the focus.
            m_entering = m->hasFocus() ? nullptr : m;
        } else if (type == QEvent::MouseButtonRelease && m_entering == m) {
            m_entering = nullptr;
            if (m == Mo_13_2 || m == Mo_13_3)
                platform::runHandler(this, [m] { caretToStart(m); });
            else if (m == Mo_133)
                platform::runHandler(this, [m] { caretToStart(m, true); });
        }
    }
    return RecordPage::eventFilter(watched, event);
}
