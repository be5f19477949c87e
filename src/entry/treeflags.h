#pragma once

class QLineEdit;

// The classification tree picker writes its choice into the edit whose flag
// its caller raised.  Each page registers the edits its flags stand for when
// it is created; the picker clears every flag when it closes, so a pick
// reaches only the page that opened it.
extern bool TreeFlagsPage1[4];      // Edt_15, edt_15_1 (subjects), edt_12, edt_12_1 (library)
extern bool TreeFlagsPage4a[40];    // the organisation page's forty code edits
extern bool TreeFlagsMain[2];       // the query builder's value edit: library (0), subject (1)
extern QLineEdit *TreeEditsPage1[4];
extern QLineEdit *TreeEditsPage4a[40];
extern QLineEdit *TreeEditsMain[2];
