// The widget pieces of the entry windows: code items, dates, figures, code
// panels and the GBK length validator.
#include "forms/codeitem.h"
#include "forms/codepanel.h"
#include "forms/dateedit.h"
#include "forms/elidededit.h"
#include "forms/figureedit.h"
#include "forms/gbkvalidator.h"
#include "support/printqstring.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QGuiApplication>
#include <QDate>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QInputMethodEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(RecordPageHelpers, CodesDatesAndFigures)
{
    EXPECT_EQ(codePart(u"3  国内领先"_s), u"3"_s);
    EXPECT_EQ(codePart(u" "_s), QString());
    EXPECT_EQ(codePart(u" TP311 "_s), u"TP311"_s);   // a typed code without a name
    EXPECT_EQ(padTwo(u" 3"_s), u"03"_s);
    EXPECT_EQ(padTwo(u"11"_s), u"11"_s);
    EXPECT_TRUE(isValidYear(u"1949"_s));
    EXPECT_FALSE(isValidYear(u"1948"_s));
    EXPECT_TRUE(isValidYear(u"1900"_s, FirstYearOfBirth));
    EXPECT_FALSE(isValidYear(QString::number(QDate::currentDate().year() + 1)));
    EXPECT_FALSE(isValidYear(u"20a8"_s));
    EXPECT_EQ(parseDateParts(u"2008"_s, u"5"_s, u"3"_s), QDate(2008, 5, 3));
    EXPECT_FALSE(parseDateParts(u"2008"_s, u"0"_s, u"3"_s).isValid());
    EXPECT_FALSE(parseDateParts(u"2009"_s, u"02"_s, u"29"_s).isValid());
    EXPECT_FALSE(parseDateParts(u"2008"_s, u"05"_s, QString()).isValid());
    EXPECT_EQ(figureText(0.1 + 0.2), u"0.3"_s);
    EXPECT_EQ(figureValue(u"1.5"_s) + figureValue(u""_s) + figureValue(u"x"_s), 1.5);
}

// A key that could never make a figure is refused where it is typed, and
// the refusal is signalled; nothing typed ever changes a figure's
// magnitude.  Text that arrives whole (a paste) is judged when the edit is
// left, once.
TEST(RecordPageHelpers, FigureEditsRefuseKeysVisiblyAndJudgeWhatIsLeft)
{
    QWidget window;
    auto *whole = new QLineEdit(&window);
    auto *money = new QLineEdit(&window);
    auto *other = new QLineEdit(&window);
    int judged = 0;
    makeFigureEdit(whole, false);
    makeFigureEdit(money, true, [&judged] { ++judged; });
    money->setMaxLength(7);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy wholeRefused(whole, &QLineEdit::inputRejected), moneyRefused(money, &QLineEdit::inputRejected);

    QTest::keyClicks(whole, u"12a.5"_s);
    EXPECT_EQ(whole->text(), u"125"_s);
    EXPECT_EQ(wholeRefused.size(), 2);
    EXPECT_TRUE(QToolTip::text().startsWith(u"此处只能输入数字"_s)) << QToolTip::text().toStdString();

    QTest::keyClicks(money, u"12a.5"_s);
    EXPECT_EQ(money->text(), u"12.5"_s);
    EXPECT_EQ(moneyRefused.size(), 1);
    // A second point, before or after the first, is refused too.
    QTest::keyClick(money, Qt::Key_Period);
    money->setCursorPosition(1);
    QTest::keyClick(money, Qt::Key_Period);
    EXPECT_EQ(money->text(), u"12.5"_s);
    EXPECT_EQ(moneyRefused.size(), 3);
    EXPECT_EQ(QToolTip::text(), u"此处只能输入数字和一个小数点，最多7位"_s);
    // Typed over a selection, the point goes in.
    money->setSelection(2, 1);
    QTest::keyClick(money, Qt::Key_Period);
    EXPECT_EQ(money->text(), u"12.5"_s);
    QTest::keyClick(money, Qt::Key_End);
    QTest::keyClick(money, Qt::Key_Backspace);
    EXPECT_EQ(money->text(), u"12."_s);
    // Seven characters at most, refused visibly.
    QTest::keyClicks(money, u"75891"_s);
    EXPECT_EQ(money->text(), u"12.7589"_s);
    EXPECT_EQ(moneyRefused.size(), 4);

    // An input method's full-width digits and "。" go in as figures.
    money->clear();
    QInputMethodEvent im;
    im.setCommitString(u"１２。５"_s);
    QApplication::sendEvent(money, &im);
    EXPECT_EQ(money->text(), u"12.5"_s);

    // Nothing is judged while the user types; leaving judges once.
    EXPECT_EQ(judged, 0);
    money->setFocus();
    other->setFocus();
    EXPECT_EQ(judged, 1);
    money->setText(u"1.2.3"_s);   // set by the program: the page judges it itself
    money->setFocus();
    other->setFocus();
    EXPECT_EQ(judged, 1);
    // A figure typed into and not left is judged by settleFigures.
    money->setFocus();
    QTest::keyClick(money, Qt::Key_Backspace);
    settleFigures(&window);
    settleFigures(&window);
    EXPECT_EQ(judged, 2);
}

TEST(RecordPageHelpers, OneBoxAtATimeLeavesOtherPanelsAlone)
{
    QWidget form;
    auto *a = new CodePanel(&form, u"PL_a"_s, CodePanel::CheckBoxes, u"cb_a_"_s, {{u"01"_s, u"甲"_s}, {u"02"_s, u"乙"_s}}, 2);
    auto *b = new CodePanel(&form, u"PL_b"_s, CodePanel::CheckBoxes, u"cb_b_"_s, {{u"01"_s, u"丙"_s}}, 1,
                            {{u"01"_s, u"Cb_b_01"_s}});
    a->setOneAtATime(&form);
    EXPECT_EQ(b->box(u"01"_s)->objectName(), u"Cb_b_01"_s);
    b->box(u"01"_s)->setChecked(true);
    a->box(u"01"_s)->setChecked(true);
    a->box(u"02"_s)->setChecked(true);   // by code, as a load does
    EXPECT_FALSE(a->box(u"01"_s)->isChecked());
    EXPECT_TRUE(a->box(u"02"_s)->isChecked());
    EXPECT_TRUE(b->box(u"01"_s)->isChecked());
}

TEST(GbkLengthValidator, LimitsByGbkBytesKeepingWhatFitsAndRefusesWhatGbkLacks)
{
    GbkLengthValidator v(20);
    // Typed or pasted at the end (the cursor after it): the text that fits.
    const std::tuple<QString, QValidator::State, QString> cases[] = {
        {QString(20, u'A'), QValidator::Acceptable, QString(20, u'A')},
        {QString(21, u'A'), QValidator::Acceptable, QString(20, u'A')},
        {QString(10, QChar(0x7814)), QValidator::Acceptable, QString(10, QChar(0x7814))},
        {QString(10, QChar(0x7814)) + u'A', QValidator::Acceptable, QString(10, QChar(0x7814))},
        {u'A' + QString(10, QChar(0x7814)), QValidator::Acceptable, u'A' + QString(9, QChar(0x7814))},
        {u"DJ-\U0001F600"_s, QValidator::Invalid, u"DJ-\U0001F600"_s},
    };
    for (auto [text, state, kept] : cases) {
        QString input = text;
        int pos = int(input.size());
        EXPECT_EQ(v.validate(input, pos), state) << text.toStdString();
        EXPECT_EQ(input, kept) << text.toStdString();
        EXPECT_EQ(pos, int(input.size())) << text.toStdString();
    }
}

TEST(GbkLengthValidator, APasteInsideAFullEditKeepsItsBeginningAndTheTextAround)
{
    QLineEdit edit;
    limitGbkBytes(&edit, 7);
    edit.setText(u"AB"_s);
    edit.setCursorPosition(1);
    QGuiApplication::clipboard()->setText(u"科技成果登记"_s);
    edit.paste();
    // Five bytes free: two double-byte characters, the odd byte left unused.
    EXPECT_EQ(edit.text(), u"A科技B"_s);
    EXPECT_EQ(edit.cursorPosition(), 3);
    edit.paste();   // full: nothing more goes in, nothing is lost
    EXPECT_EQ(edit.text(), u"A科技B"_s);
}

// Pasted by key or through the edit's menu, the part that fits goes in as
// one step the edit can undo; a paste GBK cannot hold is refused whole.
TEST(GbkLengthValidator, PasteByKeyOrMenuKeepsWhatFitsAndCanBeUndone)
{
    QLineEdit edit;
    limitGbkBytes(&edit, 7);
    edit.show();
    edit.setText(u"AB"_s);
    edit.setCursorPosition(1);
    QGuiApplication::clipboard()->setText(u"科技成果登记"_s);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), u"A科技B"_s);
    EXPECT_EQ(edit.cursorPosition(), 3);
    ASSERT_TRUE(edit.isUndoAvailable());
    edit.undo();
    EXPECT_EQ(edit.text(), u"AB"_s);

    // The menu's paste over a selection: the selection's bytes are free.
    edit.selectAll();
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(4, 4), edit.mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(&edit, &request);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    QAction *paste = nullptr;
    for (QAction *a : menu->actions())
        if (a->text().section(u'\t', 0, 0) == QCoreApplication::translate("QLineEdit", "&Paste"))
            paste = a;
    ASSERT_TRUE(paste);
    paste->trigger();
    menu->close();
    EXPECT_EQ(edit.text(), u"科技成"_s);
    ASSERT_TRUE(edit.isUndoAvailable());
    edit.undo();
    EXPECT_EQ(edit.text(), u"AB"_s);

    QGuiApplication::clipboard()->setText(u"科😀"_s);
    edit.setCursorPosition(2);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), u"AB"_s);
}

// A code item wider than its slot ends in "…" while the user is elsewhere,
// never cut off silently; the tip and the focused edit show it whole.
TEST(RecordPageHelpers, NarrowCodeSlotsElideAndTellTheWholeItem)
{
    QWidget window;
    auto *slot = new ElidedLineEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    slot->setFixedWidth(110);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    const QString item = u"1105  农业面源和重金属污染农田综合防治与修复技术"_s;
    slot->setText(item);
    EXPECT_TRUE(slot->shownText().endsWith(QChar(0x2026))) << slot->shownText().toStdString();
    EXPECT_TRUE(slot->shownText().startsWith(u"1105"_s));
    EXPECT_EQ(slot->toolTip(), item);
    slot->setText(u"0101"_s);
    EXPECT_EQ(slot->shownText(), u"0101"_s);
    slot->setText(item);
    slot->setFocus();
    EXPECT_EQ(slot->shownText(), item);
    EXPECT_FALSE(slot->grab().isNull());
}

} // namespace
