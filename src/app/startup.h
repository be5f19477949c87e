#pragma once

#include <QString>

// Creates the main window, the splash, the data module over `dataPath` and
// every other window, each once and in the program's order, and wires them
// together.  A table that cannot be opened throws db::EngineError once the
// main window exists; the caller reports it and deletes the main window.
void createWindows(const QString &dataPath);

// Deletes the main window (every other window with it) and the data
// module, and forgets them all.
void destroyWindows();

// The program's start up to its main window: the windows and the data
// module over `dataPath`.  A damaged table stops the start with one message
// naming the table and what is wrong, before any table is packed; the user
// may keep the table's readable rows (the data folder is copied first) and
// the start goes on, or leave everything as it is and end.  A table the
// start could not pack is told once, and the start goes on.  Any other
// failure is shown and ends the start.  Returns false when the program must
// end; the windows are then gone.
bool openDataAndWindows(const QString &dataPath);

// Makes Chinese the program's locale and loads Qt's own Chinese texts
// (message-box buttons, edit menus, file dialogs) from the system's
// translations; false when they are not installed.
bool installQtTranslations();

// The main window's first showing, then the window on screen.  False when
// the start ends instead: an error of the first showing (after its
// message), or the user ending the program on the organisation page.  The
// caller then destroys the windows.
bool showMainWindow();

// Removes what earlier runs of the program left in the system's temporary
// folder: the work folders of runs that have ended (a killed import's
// unpacked package), and Word documents of earlier days.  Only this user's.
void removeTempLeftovers();
