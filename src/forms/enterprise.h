#pragma once

// The enterprise rule of an organisation's attribute (dictionary item
// item_62): only an enterprise has an ownership (item_41_3) and can be a
// converted research institute (item_163).

#include <QString>

class QCheckBox;
class QComboBox;

// The attribute code of an enterprise.
inline const QString EnterpriseAttributeCode = QStringLiteral("3");

// Whether an attribute code (blanks aside) is the enterprise's.
bool isEnterpriseAttribute(const QString &attributeCode);

// After a new attribute is picked: the ownership list and the converted box
// are open for an enterprise; otherwise the box is unticked, the list
// emptied, and both are closed.
void showEnterpriseDetails(bool enterprise, QComboBox *ownership, QCheckBox *converted);
