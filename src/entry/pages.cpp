#include "pages.h"

#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "platform/seams.h"

#include <QPushButton>

void openRecordPage(QPushButton *button)
{
    if (!button)
        return;
    const QString name = button->objectName();
    if (name == QLatin1String("btn_page01") && Fpage1) {
        Fpage1->load();
        platform::showModal(Fpage1);
    }
    // Page 2 exists for applied-technology records only (the main window
    // shows its button for them alone).
    if (name == QLatin1String("btn_page02") && Fpage2 && RecordPage::appliedTechnology()) {
        Fpage2->load();
        platform::showModal(Fpage2);
    }
    if (name == QLatin1String("btn_page03") && Fpage3) {
        Fpage3->load();
        platform::showModal(Fpage3);
    }
}
