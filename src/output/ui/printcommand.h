#pragma once

// The main window's "打印": prepares the current record (closes its
// knowledge-property form list, recomputes the page marks and the command
// state, opens its lists and derives its patent status), reads it once and
// shows the print dialog for it.

class TMainForm;
class TPrintForm;

void runPrintCommand(TMainForm &mainForm, TPrintForm &printForm);
