#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <stdexcept>

// Reads the member list of an ARJ archive from its headers, without
// unpacking anything, so a package can be judged before it is extracted.
namespace exchange {

class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
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
