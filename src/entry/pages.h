#pragma once

class QPushButton;

// Loads the page of a main-window page button for the current record and
// shows it modally.  Buttons without a page yet do nothing.
void openRecordPage(QPushButton *button);
