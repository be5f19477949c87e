#pragma once

class QWidget;

// The first control of the window, in its tab order, that the user can
// write into: shown, enabled, taking the focus by Tab, and not a read-only
// edit.  Nullptr when there is none.
QWidget *firstWritableField(QWidget *window);
