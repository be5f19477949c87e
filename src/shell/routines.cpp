// The shared routines of the main window that every form calls: messages,
// filling combo boxes from the dictionary and code tables, code panels.
#include "mainform.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "forms/controls.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>
#include <set>

namespace {

bool isPlainCheckOrRadio(const QObject *o)
{
    const char *cls = o->metaObject()->className();
    return qstrcmp(cls, "QCheckBox") == 0 || qstrcmp(cls, "QRadioButton") == 0;
}

// The check boxes and radio buttons of a form lying on a panel (their
// parent bears the panel's name), in creation order.
QList<QAbstractButton *> panelBoxes(QWidget *form, QWidget *panel)
{
    QList<QAbstractButton *> out;
    const QString panelName = panel->objectName();
    std::function<void(QObject *)> walk = [&](QObject *o) {
        for (QObject *c : o->children()) {
            auto *b = qobject_cast<QAbstractButton *>(c);
            if (b && (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
                && b->objectName() != QLatin1String("ImageList1") && c->parent()->objectName() == panelName)
                out << b;
            walk(c);
        }
    };
    walk(form);
    return out;
}

} // namespace

void TMainForm::ShowMsg(const QString &text)
{
    platform::messageBox(this, text, MsgCaption, platform::Icon::Warning, platform::Ok);
}

QString TMainForm::ReplaceTabs(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return out;
}

void TMainForm::ClearChecks(QWidget *form)
{
    for (QAbstractButton *b : form->findChildren<QAbstractButton *>())
        if (isPlainCheckOrRadio(b))
            setCheckedQuietly(b, false);
}

void TMainForm::FillComboFromField(db::Dataset &ds, QComboBox *combo, const QString &fieldName)
{
    combo->clear();
    for (ds.first(); !ds.eof(); ds.next()) {
        const db::Field f = ds.fieldByName(fieldName);
        if (!f.isNull())
            combo->addItem(f.asString());
    }
}

void TMainForm::FillYearList(db::Dataset &ds, QComboBox *combo)
{
    // Every year that begins a key, newest first.  A key that does not begin
    // with a year is passed over; the years of the other keys are still
    // listed.  The rows may come in any order: one pass gathers the years,
    // so the keys themselves are never sorted.
    combo->clear();
    const int field = ds.fieldByName(QStringLiteral("item_4")).index();
    std::set<int, std::greater<int>> years;
    const int rows = ds.recordCount();
    for (int p = 0; p < rows; ++p) {
        const db::Value v = ds.valueAt(p, field);
        QByteArrayView key = v.type == db::Value::Type::Text ? QByteArrayView(v.text) : QByteArrayView();
        while (!key.isEmpty() && (key.front() == ' ' || key.front() == '\t'))
            key = key.sliced(1);
        if (key.size() < 4)
            continue;
        int year = 0;
        bool digits = true;
        for (int i = 0; i < 4 && digits; ++i) {
            digits = key[i] >= '0' && key[i] <= '9';
            year = year * 10 + (key[i] - '0');
        }
        if (digits)
            years.insert(year);
    }
    for (int year : years)
        combo->addItem(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
    if (combo->count() == 0)
        combo->addItem(QString::number(platform::today().year()));
    combo->setCurrentIndex(0);
}

void TMainForm::FillComboCodeName(db::Table &table, QComboBox *combo, const QString &codeField, const QString &nameField,
                                  bool noBlank)
{
    combo->clear();
    table.setFiltered(false);
    table.setFilter(QString());
    table.setFiltered(true);
    table.open();
    for (table.first(); !table.eof(); table.next()) {
        const db::Field code = table.fieldByName(codeField), name = table.fieldByName(nameField);
        if (!code.isNull() && !name.isNull())
            combo->addItem(code.asString() + QStringLiteral("  ") + name.asString());
    }
    if (!noBlank)
        combo->addItem(QStringLiteral(" "));
}

static void fillFromDict(db::Table &table, const QString &key, bool noBlank, QComboBox *combo, bool keepOld)
{
    table.setFiltered(false);
    table.setFilter(db::equalsFilter(QStringLiteral("zddm"), key));
    table.setFiltered(true);
    table.open();
    combo->clear();
    for (table.first(); !table.eof(); table.next()) {
        const QString code = table.fieldByName(QStringLiteral("xxdm")).asString();
        const QString name = table.fieldByName(QStringLiteral("xxmc")).asString();
        if (!code.isEmpty() && !name.isEmpty() && (keepOld || !name.startsWith(QLatin1String("**"))))
            combo->addItem(code + QStringLiteral("  ") + name);
    }
    if (!noBlank)
        combo->addItem(QStringLiteral(" "));
}

void TMainForm::FillComboFromDict(db::Table &table, const QString &key, bool noBlank, QComboBox *combo)
{
    fillFromDict(table, key, noBlank, combo, false);
}

void TMainForm::FillComboFromDictAll(db::Table &table, const QString &key, bool noBlank, QComboBox *combo)
{
    fillFromDict(table, key, noBlank, combo, true);
}

void TMainForm::ShowCodeName(db::Table &table, const QString &code, QLineEdit *control)
{
    table.close();
    table.setFilter(db::equalsFilter(QStringLiteral("xxdm"), code));
    table.setFiltered(true);
    table.open();
    if (!table.isEmpty() && table.fieldCount() >= 3)
        control->setText(table.field(1).asString() + QStringLiteral("  ") + table.field(2).asString());
    else
        control->setText(QString());
}

void TMainForm::SelectComboByCode(const QString &code, QComboBox *combo)
{
    int hit = -1;
    for (int i = 0; i < combo->count(); ++i) {
        const QString text = combo->itemText(i);
        if (text == QLatin1String(" "))
            continue;
        const qsizetype at = text.indexOf(QStringLiteral("  "));
        if ((at < 0 ? QString() : text.left(at).trimmed()) == code)
            hit = i;
    }
    if (hit >= 0)
        combo->setCurrentIndex(hit);
}

void TMainForm::SplitToEdits(const QString &text, QLineEdit *e1, QLineEdit *e2, QLineEdit *e3)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    e1->setText(parts.value(0));
    e2->setText(parts.value(1));
    e3->setText(parts.value(2));
}

void TMainForm::CheckByCode(QWidget *form, QWidget *panel, int n, const QString &code)
{
    if (code.isEmpty())
        return;
    for (QAbstractButton *b : panelBoxes(form, panel))
        if (b->objectName().right(n) == code)
            b->setChecked(true);
}

void TMainForm::CheckCodes(QWidget *form, QWidget *panel, int n, const QString &list)
{
    if (list.isEmpty())
        return;
    if (!list.contains(QLatin1Char(';'))) {
        CheckByCode(form, panel, n, list);
        return;
    }
    const QStringList parts = list.split(QLatin1Char(';'));
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        CheckByCode(form, panel, n, parts[i].trimmed());
}

QString TMainForm::GetCheckedCodes(QWidget *form, QWidget *panel, const QString &caption, int n)
{
    QString list;
    for (QAbstractButton *b : panelBoxes(form, panel)) {
        if (!b->isChecked())
            continue;
        if (qobject_cast<QRadioButton *>(b))
            list += b->objectName().right(n);
        else
            list += b->objectName().right(n) + QLatin1Char(';');
    }
    auto number = [this](const QString &code) {
        if (code.size() < 2)
            return 0;
        bool ok = false;
        const int v = code.toInt(&ok);
        if (!ok) {
            ShowMsg(QStringLiteral("'") + code + QStringLiteral("'") + QStringLiteral("不是数字格式！"));
            return 0;
        }
        return v;
    };
    const QStringList codes = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (!list.contains(QLatin1Char(';')))
        return list;   // a radio button's code, or nothing
    const int first = number(codes.value(0));
    const int second = codes.size() > 1 ? number(codes.value(1)) : 0;
    if (codes.size() > 2 && caption != QStringLiteral("知识产权形式")) {
        platform::messageBox(this,
                             QStringLiteral("'") + caption + QStringLiteral("'")
                                 + QStringLiteral("项目为复选项目，但至多选择二项！"),
                             platform::NoteCaption, platform::Icon::Question, platform::Ok);
        platform::abortSilently();
    }
    if (first > 0 && second > 0 && second < first)
        return codes[1] + QLatin1Char(';') + codes[0] + QLatin1Char(';');
    return list;
}

QString TMainForm::RequireText(const QString &text, const QString &message)
{
    QString value = text.trimmed();
    if (value.isEmpty()) {
        ShowMsg(message);
        platform::abortSilently();
    }
    return value;
}

void TMainForm::RunQuery(db::Query &query, const QString &statement)
{
    query.close();
    query.setDatabaseName(DataPath);
    query.setSQL(statement);
    query.open();
}

void TMainForm::DeleteMainRecord(db::Query &query, const QString &field, const QString &value)
{
    query.close();
    query.setDatabaseName(DataPath);
    query.setSQL(QStringLiteral("DELETE FROM kjcg WHERE ") + field + QStringLiteral("=") + QStringLiteral("'")
                 + EscapeSqlQuotes(value) + QStringLiteral("'"));
    query.execSQL();
    RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
}
