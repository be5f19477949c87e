#pragma once

#include <QString>
#include <optional>

// What the machine would run to show a Word document: the word processor's
// own command, or the desktop's opener with the application it has chosen
// for the type.  A word processor built without any desktop front end takes
// a document and never shows it; these checks find one before it is asked.
namespace word {

// The type the desktop files a filled document under.
inline const char *documentMimeType()
{
    return "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
}

// False when `program` (a path, or a name looked up on the PATH) is a word
// processor built without any desktop front end: a program folder with
// soffice.bin but no libvclplug_* library.  True when it has one, and when
// the folder is not recognised.
bool writerShowsWindows(const QString &program);

// The program the desktop's opener would start for a document of `mimeType`:
// the first word of the Exec line of the application the desktop has chosen
// (`xdg-mime query default`), found on the PATH.  Empty when no application
// is chosen or it cannot be found (the opener then falls back on programs
// that do not show a Word document, text-mode browsers among them); nullopt
// when the desktop cannot be asked.
std::optional<QString> desktopApplicationProgram(const QString &mimeType);

// Whether the desktop's opener can show a Word document: a window system is
// there, and the application the desktop has chosen for the type (when it
// can be learned) is one with a front end.
bool desktopShowsDocuments();

} // namespace word
