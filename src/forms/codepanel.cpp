#include "codepanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QRadioButton>

CodePanel::CodePanel(QWidget *parent, const QString &objectName, Kind kind, const QString &prefix,
                     const QList<CodeCaption> &boxes, int columns, const QHash<QString, QString> &nameOverrides)
    : QWidget(parent)
{
    setObjectName(objectName);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    int i = 0;
    for (const CodeCaption &c : boxes) {
        QAbstractButton *b = kind == CheckBoxes ? static_cast<QAbstractButton *>(new QCheckBox(c.caption, this))
                                                : static_cast<QAbstractButton *>(new QRadioButton(c.caption, this));
        b->setObjectName(nameOverrides.value(c.code, prefix + c.code));
        b->setProperty("code", c.code);
        connect(b, &QAbstractButton::toggled, this, [this, b](bool on) { emit boxToggled(b, on); });
        grid->addWidget(b, i / columns, i % columns);
        m_boxes << b;
        ++i;
    }
}

QAbstractButton *CodePanel::box(const QString &code) const
{
    for (QAbstractButton *b : m_boxes)
        if (b->property("code").toString() == code)
            return b;
    return nullptr;
}

void CodePanel::setOneAtATime(QWidget *form)
{
    connect(this, &CodePanel::boxToggled, this, [this, form](QAbstractButton *b, bool on) {
        if (on)
            UncheckSiblings(form, this, b->objectName());
    });
}

void UncheckSiblings(QWidget *form, QWidget *panel, const QString &boxName)
{
    const QString panelName = panel->objectName();
    for (QCheckBox *b : form->findChildren<QCheckBox *>()) {
        if (b->objectName() == QLatin1String("ImageList1") || !b->parent())
            continue;
        if (b->parent()->objectName() == panelName && b->isChecked() && b->objectName() != boxName)
            b->setChecked(false);
    }
}
