#pragma once

#include <QString>
#include <QStringList>

// The program's temporary folders.  Work folders of one run (unpacked
// packages, converted archives, staged exports) lie inside a folder of that
// run, held by a lock while the process lives; a run that was killed leaves
// it behind, and the next start removes it.  Documents handed to another
// program outlive the run and are removed at a start on a later day.  Only
// this user's folders are ever removed, and never one of a live run.
namespace platform {

// A QTemporaryDir template for a work folder of this run ("<run>/<kind>-XXXXXX").
// The run's folder is made, private to the user and locked, on first use;
// when it cannot be made the folder goes straight into the system's
// temporary folder, as "sorvel-<kind>-XXXXXX".
QString workFolderTemplate(const QString &kind);

// A QTemporaryDir template for a folder whose files outlive the run
// ("sorvel-<kind>-XXXXXX" in `root`, or in the system's temporary folder
// when `root` is empty); kinds are registered with a start's clean-up by
// their names (removeLeftoverTempFolders).
QString keptFolderTemplate(const QString &kind, const QString &root = QString());

// Removes, from `root` (the system's temporary folder when empty), the run
// folders of runs that have ended and the kept folders of `keptKinds` last
// changed before today, owned by this user.  Returns how many were removed.
int removeLeftoverTempFolders(const QStringList &keptKinds, const QString &root = QString());

} // namespace platform
