#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Reads the member list of an ARJ archive from its headers, without
// unpacking anything, so a package can be judged before it is extracted.
namespace exchange {

// A package that cannot be listed, unpacked or packed, or an archiver that
// failed; the message says what, and which member, for the user.
class ArchiveError : public base::Error {
public:
    using base::Error::Error;
};

// The user stopped a waiting archiver: the work ends with nothing written,
// and there is nothing to report.
class ArchiveCancelled : public ArchiveError {
public:
    ArchiveCancelled() : ArchiveError(QStringLiteral("已取消")) {}
};

struct ArjMember {
    QByteArray name;        // as stored in the archive
    quint32 packedSize = 0;
    quint32 originalSize = 0;
    int fileType = 0;       // 0 binary, 1 text, 3 folder ...
};

// The members of an archive, in archive order.  Throws ArchiveError when the
// bytes are no ARJ archive, a header is cut off or fails its check sum, or a
// member is not a plain file that may be unpacked into one folder: a name
// with a folder part or a drive, a name beginning with "." (".." included),
// an empty name, two names equal without regard to letter case, a folder,
// label or encrypted member, or a member continued on another volume.
QList<ArjMember> listArjMembers(QByteArrayView archive);

} // namespace exchange
