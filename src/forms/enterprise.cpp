#include "enterprise.h"

#include <QCheckBox>
#include <QComboBox>

bool isEnterpriseAttribute(const QString &attributeCode) { return attributeCode.trimmed() == EnterpriseAttributeCode; }

void showEnterpriseDetails(bool enterprise, QComboBox *ownership, QCheckBox *converted)
{
    if (enterprise) {
        converted->setEnabled(true);
        ownership->setEnabled(true);
    } else {
        converted->setChecked(false);
        converted->setEnabled(false);
        ownership->clear();
        ownership->setEnabled(false);
    }
}
