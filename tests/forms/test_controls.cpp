// The shared controls and the enterprise rule of an organisation's attribute.
#include "forms/controls.h"
#include "forms/enterprise.h"
#include "forms/gbkvalidator.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(Controls, AnEditTakesItsFieldsGbkBytesOnlyWhenGivenALimit)
{
    QWidget w;
    QLineEdit *limited = makeLineEdit(&w, QStringLiteral("edt_9"), 4);
    QLineEdit *plain = makeLineEdit(&w, QStringLiteral("edt_3"));
    EXPECT_EQ(limited->objectName(), QStringLiteral("edt_9"));
    auto *v = qobject_cast<const GbkLengthValidator *>(limited->validator());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->maxBytes(), 4);
    QString text = QStringLiteral("单位名称"); // eight GBK bytes
    int pos = int(text.size());
    EXPECT_NE(v->validate(text, pos), QValidator::Acceptable);
    EXPECT_EQ(plain->validator(), nullptr);
}

TEST(Controls, SetCheckedQuietlyUnticksAnExclusiveRadioAndKeepsItExclusive)
{
    QWidget w;
    auto *a = new QRadioButton(&w);
    auto *b = new QRadioButton(&w);
    a->setChecked(true);
    setCheckedQuietly(a, false);
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(a->autoExclusive());
    // Still one of a group: ticking the other unticks it.
    setCheckedQuietly(a, true);
    b->setChecked(true);
    EXPECT_FALSE(a->isChecked());
}

TEST(EnterpriseRule, OnlyTheEnterpriseCodeOpensOwnershipAndConversion)
{
    EXPECT_TRUE(isEnterpriseAttribute(QStringLiteral("3")));
    EXPECT_TRUE(isEnterpriseAttribute(QStringLiteral(" 3 ")));
    EXPECT_FALSE(isEnterpriseAttribute(QStringLiteral("31")));
    EXPECT_FALSE(isEnterpriseAttribute(QString()));
    EXPECT_FALSE(isEnterpriseAttribute(QStringLiteral("企业")));

    QWidget w;
    auto *ownership = new QComboBox(&w);
    auto *converted = new QCheckBox(&w);
    ownership->addItems({QStringLiteral("1  国有"), QStringLiteral("2  集体")});
    converted->setChecked(true);
    showEnterpriseDetails(true, ownership, converted);
    EXPECT_TRUE(ownership->isEnabled());
    EXPECT_TRUE(converted->isChecked());
    EXPECT_EQ(ownership->count(), 2);

    showEnterpriseDetails(false, ownership, converted);
    EXPECT_FALSE(ownership->isEnabled());
    EXPECT_FALSE(converted->isEnabled());
    EXPECT_FALSE(converted->isChecked());
    EXPECT_EQ(ownership->count(), 0);
}

} // namespace
