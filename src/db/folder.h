#pragma once

#include <QString>

namespace db {

// The path of a table inside a folder: the name as given, or with ".dbf"
// added when it has no extension, resolved without regard to letter case.
// Throws EngineError when there is no such table.
QString resolveTablePath(const QString &folder, const QString &name);

// Puts a copy of `sourcePath` in place of the table `name` of `folder`
// atomically (and its memo file beside it, when it has one).  Refused while
// the table is open in this program.
void replaceTableFile(const QString &folder, const QString &name, const QString &sourcePath);

// Throws EngineError naming the file when the table at `tablePath` (as the
// data folder names it) or its memo file is a symbolic link: a rewrite of the
// table would write beside the link's target, outside the data folder, or
// replace the link with a file.  `action` says what was refused ("整理").
void refuseLinkedTable(const QString &tablePath, const QString &tableName, const QString &action);

} // namespace db
