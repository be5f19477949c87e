#include "recordpage.h"

#include "base/error.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "forms/controls.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShowEvent>

#include <exception>

namespace {

QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

bool sameStored(db::Field f, const RecordValues::Entry &e)
{
    switch (f.kind()) {
    case db::FieldKind::Date: {
        const QDate stored = f.isNull() ? QDate() : f.asDate();
        const QDate wanted = e.isDate ? e.date : QDate::fromString(e.text.trimmed(), platform::shortDateFormat());
        return stored.isValid() == wanted.isValid() && (!stored.isValid() || stored == wanted);
    }
    case db::FieldKind::Float:
    case db::FieldKind::SmallInt:
    case db::FieldKind::Integer: {
        const QString wanted = e.text.trimmed();
        if (f.isNull() || wanted.isEmpty())
            return f.isNull() && wanted.isEmpty();
        double d = 0;
        return db::parseNumber(wanted, d) && d == f.asFloat();
    }
    default:
        return withoutTrailingBlanks(f.asString()) == withoutTrailingBlanks(e.text);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// RecordValues

int RecordValues::indexOf(const QString &field) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

RecordValues::Entry &RecordValues::slot(const QString &field)
{
    const int i = indexOf(field);
    if (i >= 0)
        return m_entries[i];
    m_entries.append(Entry{field, {}, false, {}, true});
    return m_entries.last();
}

void RecordValues::set(const QString &field, const QString &text, bool compared)
{
    Entry &e = slot(field);
    e.text = text;
    e.isDate = false;
    e.date = QDate();
    e.compared = compared;
}

void RecordValues::setDate(const QString &field, const QDate &date, bool compared)
{
    Entry &e = slot(field);
    e.compared = compared;
    e.isDate = true;
    e.date = date;
    e.text = date.isValid() ? date.toString(platform::shortDateFormat()) : QString();
}

QString RecordValues::text(const QString &field) const
{
    const int i = indexOf(field);
    return i < 0 ? QString() : m_entries[i].text;
}

void RecordValues::writeTo(db::Dataset &ds) const
{
    for (const Entry &e : m_entries) {
        db::Field f = ds.fieldByName(e.field);
        if (e.isDate) {
            if (e.date.isValid())
                f.setAsDate(e.date);
            else
                f.clear();
        } else {
            f.setAsString(e.text);
        }
    }
}

QStringList RecordValues::differences(db::Dataset &ds) const
{
    QStringList out;
    for (const Entry &e : m_entries)
        if (e.compared && !sameStored(ds.fieldByName(e.field), e))
            out << e.field;
    return out;
}

// ---------------------------------------------------------------------------
// RecordPage

RecordPage::RecordPage(const QString &objectName, const QString &pageButton, const QString &pageCaption,
                       QWidget *parent)
    : QDialog(parent), m_pageButton(pageButton), m_pageCaption(pageCaption)
{
    setObjectName(objectName);
    // No close box: the page is left through "退出".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(PageWidth, PageHeight);
    m_marker = new QLineEdit(this);
    m_marker->setObjectName(QStringLiteral("edtChanged"));
    m_marker->hide();
    connect(this, &QDialog::finished, this, [this] { formClose(); });
}

void RecordPage::load()
{
    loadFields();
    setWindowTitle(QStringLiteral("成果名称：") + recordText(QStringLiteral("ITEM_3")));
    clearChangeMarker();
}

bool RecordPage::save()
{
    checks();
    RecordValues values;
    collect(values);
    db::Query &rec = DM->Qrykjcg;
    try {
        rec.edit();
        values.writeTo(rec);
        rec.post();
    } catch (const base::Error &e) {
        rec.cancel();
        platform::messageBox(this, e.message(), platform::NoteCaption, platform::Icon::None, platform::Ok);
        return false;
    } catch (const std::exception &e) {
        rec.cancel();
        platform::messageBox(this, QString::fromLocal8Bit(e.what()), platform::NoteCaption, platform::Icon::None,
                             platform::Ok);
        return false;
    } catch (...) {
        rec.cancel();
        throw;
    }
    afterSave();
    clearChangeMarker();
    if (MainForm)
        MainForm->ShowMsg(platform::SavedMessage);
    if (QPushButton *b = pageButton()) {
        TMainForm::setPageComplete(b, true);
        b->setText(m_pageCaption);
    }
    emit saved();
    return true;
}

bool RecordPage::isChanged()
{
    if (!m_marker->text().isEmpty())
        return true;
    return !pendingValues().differences(DM->Qrykjcg).isEmpty();
}

void RecordPage::quit()
{
    checks();
    if (isChanged()) {
        const int answer = platform::messageBox(this, platform::UnsavedQuestion, platform::AttentionCaption,
                                                platform::Icon::Question, platform::Yes | platform::No);
        if (answer == platform::Yes && !save())
            return;   // the page stays open with what could not be saved
    }
    m_leaving = true;
    done(QDialog::Accepted);
    m_leaving = false;
}

void RecordPage::btnSave01Click()
{
    platform::runHandler(this, [this] {
        settleFigures(this);
        save();
    });
}

void RecordPage::quit01Click()
{
    platform::runHandler(this, [this] {
        settleFigures(this);
        quit();
    });
}

void RecordPage::reject()
{
    // Escape leaves as "退出" does.
    if (m_leaving)
        QDialog::reject();
    else
        quit01Click();
}

QPushButton *RecordPage::pageButton() const
{
    return MainForm ? MainForm->findChild<QPushButton *>(m_pageButton) : nullptr;
}

void RecordPage::markChanged()
{
    m_marker->setText(QStringLiteral("1"));
}

void RecordPage::clearChangeMarker()
{
    m_marker->clear();
}

RecordValues RecordPage::pendingValues()
{
    RecordValues v;
    collect(v);
    return v;
}

QString RecordPage::recordCategory()
{
    QString stored = recordText(QStringLiteral("ITEM_CGLB")).trimmed();
    if (!stored.isEmpty() || !MainForm)
        return stored;
    return QString::number(MainForm->ComboBox1->currentIndex() + 1);
}

QString RecordPage::recordText(const QString &field)
{
    db::Query &rec = DM->Qrykjcg;
    if (!rec.isActive() || rec.isEmpty())
        return QString();
    return rec.fieldByName(field).asString();
}

void refuseField(QWidget *owner, QWidget *focus, const QString &message)
{
    if (MainForm)
        MainForm->ShowMsg(message);
    else
        platform::messageBox(owner, message, MsgCaption, platform::Icon::Warning, platform::Ok);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
    platform::abortSilently();
}

void RecordPage::fail(QWidget *focus, const QString &message)
{
    refuseField(this, focus, message);
}

QWidget *RecordPage::makeButtonRow(QWidget *parent, const char *quitName, const char *helpName)
{
    auto *row = new QWidget(parent);
    row->setObjectName(QStringLiteral("PanelButtons"));
    auto *lay = new QHBoxLayout(row);
    lay->setContentsMargins(8, 4, 8, 4);
    lay->addStretch();
    btnSave01 = makeButton(row, QStringLiteral("btnSave01"), QStringLiteral("储存"), 88);
    quit01 = makeButton(row, QLatin1String(quitName), QStringLiteral("退出"), 88);
    Button3 = makeButton(row, QLatin1String(helpName), QStringLiteral("帮助"), 88);
    for (QPushButton *b : {btnSave01, quit01, Button3})
        lay->addWidget(b);
    connect(btnSave01, &QPushButton::clicked, this, [this] { btnSave01Click(); });
    connect(quit01, &QPushButton::clicked, this, [this] { quit01Click(); });
    return row;
}

QLabel *RecordPage::makeHeading(QWidget *parent, const QString &text)
{
    return ::makeHeading(parent, QStringLiteral("PanelHeading"), text, Qt::AlignCenter, 4);
}

void RecordPage::showEvent(QShowEvent *e)
{
    setFixedSize(PageWidth, PageHeight);
    QDialog::showEvent(e);
}

void RecordPage::resizeEvent(QResizeEvent *e)
{
    if (e->size() != QSize(PageWidth, PageHeight))
        resize(PageWidth, PageHeight);
    QDialog::resizeEvent(e);
}

void RecordPage::closeEvent(QCloseEvent *e)
{
    // A close asked for by the window system goes through "退出".
    if (m_leaving || !isVisible()) {
        QDialog::closeEvent(e);
        return;
    }
    e->ignore();
    quit01Click();
}

void RecordPage::formClose()
{
    if (MainForm)
        MainForm->UpdateCommandState();
}

// ---------------------------------------------------------------------------

bool checkFigure(QLineEdit *edit, const QString &prefix)
{
    const QString text = edit->text();
    double d = 0;
    if (text.trimmed().isEmpty() || db::parseNumber(text, d))
        return true;
    // What the user is still typing or has just pasted is judged when he
    // leaves the edit (makeFigureEdit), not in the middle of his typing.
    if (edit->isModified())
        return false;
    if (MainForm)
        MainForm->ShowMsg(prefix + text + QStringLiteral(" 不是正确的数据格式！现在已经置零"));
    edit->setText(QStringLiteral("0"));
    return false;
}
