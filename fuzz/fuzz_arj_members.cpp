// Feeds arbitrary bytes to the ARJ member lister.  Every input must give a
// list of safe, distinct plain member names or an ArchiveError, never a
// crash, a hang or a read outside the bytes.

#include "exchange/arjlist.h"

#include <QSet>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<exchange::ArjMember> members;
    try {
        members = exchange::listArjMembers(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const exchange::ArchiveError &) {
        return 0;
    }
    QSet<QByteArray> seen;
    for (const exchange::ArjMember &m : members) {
        if (m.name.isEmpty() || m.name.startsWith('.') || m.name.contains('/') || m.name.contains('\\'))
            abort();
        if (seen.contains(m.name.toUpper()))
            abort();
        seen.insert(m.name.toUpper());
    }
    return 0;
}
