#pragma once

// What the main window's print command does to the current record before the
// print dialog opens.  Between the two steps the window recomputes its page
// marks and command state, which may end the command.

#include <QString>

class TDM;

namespace output {

// Gives a stored knowledge-property form list its closing ";".  Returns the
// engine's message when the record could not be posted, else empty.
QString closeKnowledgeForms(TDM &dm);

// Opens the record's cooperating organisations, committee and persons, and
// derives the patent status and types from its patent rows when the record
// has neither.  False when that post failed (the command then ends quietly).
bool openPrintLists(TDM &dm);

} // namespace output
