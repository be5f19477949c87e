#include "formnew.h"
#include "db/expr.h"

#include "base/text.h"
#include "data/dm.h"
#include "data/records.h"
#include "db/error.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

const QString FormNewCaptionNew = QStringLiteral("请填写新项目！");
const QString FormNewCaptionEdit = QStringLiteral("修改主要项目！");
TFormNew *FormNew = nullptr;

namespace {

constexpr int kMinYear = 1900;
constexpr int kMaxYear = 2050;

QString fieldText(db::Dataset &ds, const QString &field)
{
    return ds.fieldByName(field).asString().trimmed();
}

// The category position (0..2) of a stored ITEM_CGLB; anything else gives 0.
int categoryPosition(const QString &category)
{
    bool ok = false;
    const int n = category.trimmed().toInt(&ok);
    return ok && n >= 1 && n <= 3 ? n - 1 : 0;
}

// Fields that do not belong to a category and are emptied when a record
// moves into it.
QStringList fieldsOutsideCategory(const QString &category)
{
    if (category == QLatin1String("1"))
        return {QStringLiteral("ITEM_210"), QStringLiteral("ITEM_200")};
    return {QStringLiteral("ITEM_123"), QStringLiteral("ITEM_124_1"), QStringLiteral("ITEM_16"), QStringLiteral("ITEM_33"),
            QStringLiteral("ITEM_32"), QStringLiteral("ITEM_32_1"), QStringLiteral("ITEM_125_1")};
}

// The appraisal codes (ITEM_21) a category offers, from the dictionary.
QSet<QString> appraisalCodes(const QString &category)
{
    const QString key = category == QLatin1String("1") ? QStringLiteral("item_21") : QStringLiteral("item_21_l");
    db::Table &dict = DM->Tblzdxx;
    dict.setFiltered(false);
    dict.setFilter(db::equalsFilter(QStringLiteral("zddm"), key));
    dict.setFiltered(true);
    dict.open();
    QSet<QString> codes;
    for (dict.first(); !dict.eof(); dict.next()) {
        const QString code = fieldText(dict, QStringLiteral("xxdm"));
        if (!code.isEmpty())
            codes.insert(code);
    }
    return codes;
}

// Moves the list to the row of a record; false (and the first row) when the
// list does not hold it.
bool locateRecord(db::Dataset &list, const QString &key, const QString &region)
{
    // The caller recomputes the marks once the list stands on the record.
    BulkListWork bulk(MainForm);
    for (list.first(); !list.eof(); list.next()) {
        if (fieldText(list, QStringLiteral("item_4")) == key && fieldText(list, QStringLiteral("item_dqdm")) == region)
            return true;
    }
    list.first();
    return false;
}

// Lists a year in the main window's year choice, keeping the newest first.
void listYear(const QString &year)
{
    QComboBox *years = MainForm->cbYear;
    if (years->findText(year, Qt::MatchExactly) >= 0)
        return;
    int at = 0;
    while (at < years->count() && years->itemText(at) > year)
        ++at;
    years->insertItem(at, year);
}

} // namespace

// ---------------------------------------------------------------------------

TFormNew::TFormNew(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNew"));
    setWindowTitle(QStringLiteral("请填写"));
    setModal(true);
    buildControls();
    setFixedSize(520, 270);

    // Every handler runs through the dispatcher.
    connect(ComboBox1, &QComboBox::activated, this, platform::handlerSlot(this, &TFormNew::ComboBox1Change));
    connect(cbYear, &QLineEdit::textEdited, this, platform::handlerSlot(this, &TFormNew::cbYearChange));
    connect(UpDown1, &YearUpDown::stepped, this, platform::handlerSlot(this, &TFormNew::cbYearChange));
    connect(Button1, &QPushButton::clicked, this, platform::handlerSlot(this, &TFormNew::Button1Click));
    connect(Button2, &QPushButton::clicked, this, platform::handlerSlot(this, &TFormNew::Button2Click));
    // Any change, typed or set, leaves something unsaved until the next
    // showing or save.
    for (QLineEdit *e : {edt_120, edt_3, edt_9})
        connect(e, &QLineEdit::textChanged, this, [this] { NewFormSaved = false; });
    connect(cbYear, &QLineEdit::textChanged, this, [this] { NewFormSaved = false; });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { NewFormSaved = false; });
    cbYear->installEventFilter(this);
}

void TFormNew::ShowForNewRecord()
{
    setWindowTitle(FormNewCaptionNew);
    edt_120->clear();
    edt_3->clear();
    edt_9->setText(DM->Tblunit.isEmpty() ? QString() : DM->Tblunit.fieldByName(QStringLiteral("item_9")).asString());
    platform::showModal(this);
}

void TFormNew::ShowForMainItems(int categoryPos)
{
    db::Query &rec = DM->Qrykjcg;
    ComboBox1->setCurrentIndex(categoryPos);
    setWindowTitle(FormNewCaptionEdit);
    cbYear->setText(EditOldItem4.left(4));
    edt_120->setText(rec.fieldByName(QStringLiteral("item_120")).asString());
    edt_3->setText(EditOldItem3);
    edt_9->setText(rec.fieldByName(QStringLiteral("item_9")).asString());
    platform::showModal(this);
}

void TFormNew::buildControls()
{
    Label1 = makeLabel(this, QStringLiteral("请选择成果类型"), QStringLiteral("Label1"));
    ComboBox1 = makeComboBox(this, QStringLiteral("ComboBox1"), 140);
    ComboBox1->addItems({QStringLiteral("应用技术"), QStringLiteral("软科学"), QStringLiteral("基础理论")});

    Label2 = makeLabel(this, QStringLiteral("请选择年份"), QStringLiteral("Label2"));
    cbYear = new QLineEdit(this);
    cbYear->setObjectName(QStringLiteral("cbYear"));
    cbYear->setMaxLength(4);
    cbYear->setText(QStringLiteral("1900"));
    cbYear->setFixedWidth(64);
    UpDown1 = new YearUpDown(cbYear, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(kMinYear, kMaxYear);

    Label3 = makeLabel(this, QStringLiteral("成果管理编号"), QStringLiteral("Label3"));
    edt_120 = makeLineEdit(this, QStringLiteral("edt_120"), 20);
    edt_120->setFixedWidth(200);
    Label4 = makeLabel(this, QStringLiteral("成果名称"), QStringLiteral("Label4"));
    edt_3 = makeLineEdit(this, QStringLiteral("edt_3"), 140);
    Label5 = makeLabel(this, QStringLiteral("成果第一完成单位名称"), QStringLiteral("Label5"));
    edt_9 = makeLineEdit(this, QStringLiteral("edt_9"), 140);

    Button1 = makeButton(this, QStringLiteral("Button1"), QStringLiteral("存储"), 88);
    Button2 = makeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"), 88);
    for (QPushButton *b : {Button1, Button2})
        b->setFixedSize(88, 30);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->addWidget(Label1, 0, 0, Qt::AlignRight);
    grid->addWidget(ComboBox1, 0, 1, Qt::AlignLeft);
    auto *yearRow = new QHBoxLayout;
    yearRow->setSpacing(1);
    yearRow->addWidget(cbYear);
    yearRow->addWidget(UpDown1);
    yearRow->addStretch();
    grid->addWidget(Label2, 1, 0, Qt::AlignRight);
    grid->addLayout(yearRow, 1, 1);
    grid->addWidget(Label3, 2, 0, Qt::AlignRight);
    grid->addWidget(edt_120, 2, 1, Qt::AlignLeft);
    grid->addWidget(Label4, 3, 0, Qt::AlignRight);
    grid->addWidget(edt_3, 3, 1);
    grid->addWidget(Label5, 4, 0, Qt::AlignRight);
    grid->addWidget(edt_9, 4, 1);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addSpacing(16);
    buttons->addWidget(Button2);
    buttons->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 18, 20, 16);
    outer->addLayout(grid);
    outer->addStretch();
    outer->addLayout(buttons);
}

void TFormNew::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        platform::runHandler(this, [this] { FormShow(); });
}

void TFormNew::closeEvent(QCloseEvent *e)
{
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TFormNew::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

bool TFormNew::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cbYear) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                UpDown1->step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Leaving the year for another control of this window checks it;
            // a message box or another window taking the focus does not, and
            // neither does the way out.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            const QWidget *to = QApplication::focusWidget();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && to != Button2
                && to && to->window() == this)
                platform::runHandler(this, [this] { cbYearExit(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormNew::FormShow()
{
    if (windowTitle() == FormNewCaptionEdit) {
        // The main window has put the record's own items into the controls;
        // remember which row is being edited before anything moves the list.
        m_editKey = EditOldItem4.trimmed();
        m_editRegion.clear();
        m_editCategory.clear();
        db::Query &list = DM->Qrykjcg;
        if (list.isActive() && !list.isEmpty() && fieldText(list, QStringLiteral("item_4")) == m_editKey) {
            m_editRegion = fieldText(list, QStringLiteral("item_dqdm"));
            m_editCategory = fieldText(list, QStringLiteral("item_cglb"));
        } else {
            MainForm->RunQuery(DM->tempquery, QStringLiteral("select * from kjcg where item_4='") + EscapeSqlQuotes(m_editKey)
                                                  + QLatin1Char('\''));
            if (!DM->tempquery.isEmpty()) {
                m_editRegion = fieldText(DM->tempquery, QStringLiteral("item_dqdm"));
                m_editCategory = fieldText(DM->tempquery, QStringLiteral("item_cglb"));
            }
        }
    } else {
        if (windowTitle() == FormNewCaptionNew && DM->Qrydwqk.isActive() && !DM->Qrydwqk.isEmpty()) {
            const db::Field org = DM->Qrydwqk.fieldByName(QStringLiteral("item_9"));
            if (!org.isNull())
                edt_9->setText(org.asString());
        }
        ComboBox1->setCurrentIndex(qMax(0, MainForm->ComboBox1->currentIndex()));
        cbYear->setText(MainForm->cbYear->currentText().trimmed().left(4));
    }
    // Long texts show from their beginning.
    for (QLineEdit *e : {edt_120, edt_3, edt_9})
        e->setCursorPosition(0);
    NewFormSaved = true;
}

void TFormNew::ComboBox1Change()
{
    // The main window moves to the chosen category with a successful save
    // (afterSave), not before: a cancelled dialog leaves it where it was.
    NewFormSaved = false;
}

void TFormNew::cbYearChange()
{
    NewFormSaved = false;
    if (!cbYear->text().isEmpty() && !base::isAsciiDigits(cbYear->text())) {
        MainForm->ShowMsg(QStringLiteral("不能输入非数字的字符！"));
        cbYear->setFocus();
    }
}

void TFormNew::cbYearExit()
{
    bool ok = false;
    const int year = cbYear->text().trimmed().toInt(&ok);
    if (!ok || year < kMinYear || year > kMaxYear) {
        MainForm->ShowMsg(QStringLiteral("不能输入1900到2050外的年份！"));
        cbYear->setFocus();
        platform::abortSilently();
    }
}

// The year as the save needs it: four digits within the years the dialog
// offers, whatever happened to the focus.
void TFormNew::checkYear()
{
    const QString year = cbYear->text().trimmed();
    QString problem;
    if (!year.isEmpty() && !base::isAsciiDigits(year))
        problem = QStringLiteral("不能输入非数字的字符！");
    else if (!base::isYear(year) || year.toInt() < kMinYear || year.toInt() > kMaxYear)
        problem = QStringLiteral("不能输入1900到2050外的年份！");
    if (problem.isEmpty())
        return;
    MainForm->ShowMsg(problem);
    cbYear->setFocus();
    cbYear->selectAll();
    platform::abortSilently();
}

void TFormNew::Button1Click()
{
    const QString year = cbYear->text().trimmed();
    if (edt_3->text().trimmed().isEmpty() && edt_9->text().trimmed().isEmpty() && edt_120->text().trimmed().isEmpty()) {
        NewFormSaved = true;
        close();
        return;
    }
    auto require = [](bool present, const QString &message, QWidget *focus) {
        if (present)
            return;
        MainForm->ShowMsg(message);
        focus->setFocus();
        platform::abortSilently();
    };
    require(!year.isEmpty(), QStringLiteral("年份不能为空！"), cbYear);
    checkYear();
    require(!edt_3->text().trimmed().isEmpty(), QStringLiteral("成果名称不能为空！"), edt_3);
    require(!edt_9->text().trimmed().isEmpty(), QStringLiteral("成果第一完成单位不能为空！"), edt_9);
    NewFormSaved = true;
    if (windowTitle() == FormNewCaptionEdit)
        saveEdited(year);
    else if (windowTitle() == FormNewCaptionNew)
        saveNew(year);
}

// After a save (or an edit that wrote nothing): the main window shows the
// category and year the record now lies in, with the record current.
void TFormNew::afterSave(int categoryPos, const QString &year, const QString &key, const QString &region)
{
    listYear(year);
    MainForm->SelectYearOfNew(categoryPos, year);
    MainForm->RunQuery(DM->Qrykjcg, ListSQL);
    MainForm->RenumberList();
    locateRecord(DM->Qrykjcg, key, region);
    MainForm->UpdatePageStatus();
    MainForm->UpdateCommandState();
}

void TFormNew::saveEdited(const QString &year)
{
    ListSQL = DM->Qrykjcg.sql();
    const QString name = edt_3->text().trimmed();
    const int categoryPos = qMax(0, ComboBox1->currentIndex());
    const QString category = QString::number(categoryPos + 1);
    const QString oldKey = m_editKey;
    const QString region = m_editRegion;
    const QString oldYear = oldKey.left(4);
    const int oldCategoryPos = categoryPosition(m_editCategory);

    // Another record (whatever its key or region) bearing the name refuses
    // the rename; the edited record may keep its own name.
    MainForm->RunQuery(DM->tempquery, QStringLiteral("select * from kjcg where item_3='") + EscapeSqlQuotes(name)
                                          + QLatin1Char('\''));
    for (DM->tempquery.first(); !DM->tempquery.eof(); DM->tempquery.next()) {
        if (fieldText(DM->tempquery, QStringLiteral("item_4")) != oldKey
            || fieldText(DM->tempquery, QStringLiteral("item_dqdm")) != region) {
            platform::messageBox(this, QStringLiteral("已有同名项目!"), platform::PromptCaption,
                                 platform::Icon::Information, platform::Ok);
            afterSave(oldCategoryPos, oldYear, oldKey, region);
            close();
            return;
        }
    }

    QString newKey = oldKey;
    try {
        // The key first: a record that stays in its year keeps it.
        if (year != oldYear)
            newKey = data::nextRecordKey(year);
        if (!newKey.startsWith(year))
            throw base::Error(QStringLiteral("新的成果编号“%1”不正确").arg(newKey));
        // A record that changes category loses what the new one does not
        // hold, its appraisal form too when the new category does not offer it.
        const QSet<QString> codes = appraisalCodes(category);
        // The record row and all of its sub-table rows move together, or
        // none of them.
        data::rekeyRecord(data::Store::Main, {oldKey, region}, newKey, [&](data::RowText &record) {
            if (record.text(QStringLiteral("ITEM_CGLB")) != category) {
                for (const QString &f : fieldsOutsideCategory(category))
                    record.clear(f);
                if (!codes.contains(record.text(QStringLiteral("ITEM_21"))))
                    record.clear(QStringLiteral("ITEM_21"));
            }
            record.set(QStringLiteral("ITEM_CGLB"), category);
            record.set(QStringLiteral("ITEM_120"), edt_120->text().trimmed());
            record.set(QStringLiteral("ITEM_3"), name);
            record.set(QStringLiteral("ITEM_9"), edt_9->text().trimmed());
        });
    } catch (const std::exception &e) {
        platform::messageBox(this, base::errorText(e), platform::NoteCaption, platform::Icon::None, platform::Ok);
        NewFormSaved = false;
        afterSave(oldCategoryPos, oldYear, oldKey, region);
        return;
    }
    EditOldItem4 = newKey;
    EditOldItem3 = name;
    afterSave(categoryPos, year, newKey, region);
    close();
}

void TFormNew::saveNew(const QString &year)
{
    db::Query &list = DM->Qrykjcg;
    ListSQL = list.sql();
    const int sequence = list.recordCount() + 1;
    const QString name = edt_3->text().trimmed();

    MainForm->RunQuery(DM->tempquery, QStringLiteral("select * from kjcg where item_3='") + EscapeSqlQuotes(name)
                                          + QLatin1Char('\''));
    if (!DM->tempquery.isEmpty()) {
        platform::messageBox(this, QStringLiteral("已有同名项目!"), platform::PromptCaption,
                             platform::Icon::Information, platform::Ok);
        NewFormSaved = false;
        return;
    }

    const int categoryPos = qMax(0, ComboBox1->currentIndex());
    const QString organisation = MainForm->RequireText(edt_9->text(), QStringLiteral("成果第一完成单位名称不能为空！"));
    const QString title = MainForm->RequireText(edt_3->text(), QStringLiteral("成果名称不能为空！"));
    db::Table &record = DM->T_temp_out;
    QString key;
    try {
        key = data::nextRecordKey(year);
        record.cancel();
        record.setFiltered(false);
        record.setFilter(QString());
        record.open();
        record.append();
        record.fieldByName(QStringLiteral("no")).setAsString(QString::number(sequence));
        record.fieldByName(QStringLiteral("item_cglb")).setAsString(QString::number(categoryPos + 1));
        record.fieldByName(QStringLiteral("item_4")).setAsString(key);
        record.fieldByName(QStringLiteral("item_dqdm")).setAsString(QStringLiteral("."));
        record.fieldByName(QStringLiteral("item_120")).setAsString(edt_120->text());
        record.fieldByName(QStringLiteral("item_3")).setAsString(title);
        record.fieldByName(QStringLiteral("item_9")).setAsString(organisation);
        record.post();
        record.flush();
    } catch (const std::exception &e) {
        // Nothing half-filled may stay pending for the next user of the table.
        record.cancel();
        const QString currentKey = list.isEmpty() ? QString() : fieldText(list, QStringLiteral("item_4"));
        const QString currentRegion = list.isEmpty() ? QString() : fieldText(list, QStringLiteral("item_dqdm"));
        platform::messageBox(this, base::errorText(e), platform::NoteCaption, platform::Icon::None, platform::Ok);
        NewFormSaved = false;
        MainForm->RunQuery(list, ListSQL);
        locateRecord(list, currentKey, currentRegion);
        MainForm->UpdatePageStatus();
        MainForm->UpdateCommandState();
        return;
    }

    afterSave(categoryPos, year, key, QStringLiteral("."));
    // The new record has every page still to fill: the list and the record
    // commands wait until it is complete.
    for (QPushButton *b : MainForm->pageButtons())
        TMainForm::setPageComplete(b, false);
    for (QWidget *w : MainForm->lockedControls())
        w->setEnabled(false);
    close();
}

void TFormNew::Button2Click()
{
    ListSQL = DM->Qrykjcg.sql();
    if (NewFormSaved) {
        close();
        return;
    }
    const bool noName = edt_3->text().trimmed().isEmpty();
    const bool noOrganisation = edt_9->text().trimmed().isEmpty();
    if (noName && noOrganisation) {
        NewFormSaved = true;
        close();
        return;
    }
    if (!noName && !noOrganisation) {
        const int answer = platform::messageBox(this, QStringLiteral("退出并储存？"), platform::PromptCaption,
                                                platform::Icon::Information, platform::Ok | platform::Cancel);
        if (answer == platform::Ok) {
            Button1Click();
            close();
        } else {
            NewFormSaved = true;
            close();
        }
        return;
    }
    Button1Click();
}
