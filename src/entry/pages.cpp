#include "pages.h"

#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/fpage4.h"
#include "entry/fpage5.h"
#include "entry/fpage7.h"
#include "entry/fpage8.h"
#include "entry/fpage9.h"
#include "platform/core/seams.h"

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
    if (name == QLatin1String("btn_page04") && Fpage4) {
        Fpage4->load();
        platform::showModal(Fpage4);
    }
    if (name == QLatin1String("btn_page05") && Fpage5) {
        Fpage5->load();
        platform::showModal(Fpage5);
    }
    if (name == QLatin1String("btn_page07") && Fpage7) {
        Fpage7->load();
        platform::showModal(Fpage7);
    }
    if (name == QLatin1String("btn_page08") && Fpage8) {
        Fpage8->load();
        platform::showModal(Fpage8);
    }
    if (name == QLatin1String("btn_page09") && Fpage9) {
        Fpage9->load();
        platform::showModal(Fpage9);
    }
}
