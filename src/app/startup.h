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

// Loads Qt's own Chinese texts (message-box buttons, edit menus) from the
// system's translations; false when they are not installed.
bool installQtTranslations();

// The main window's first showing, then the window on screen.  False when
// the start ends instead: an error of the first showing (after its
// message), or the user ending the program on the organisation page.  The
// caller then destroys the windows.
bool showMainWindow();
