// Feeds arbitrary bytes as the output of a failed `arj` run.  The first
// byte is its exit code and picks packing or unpacking; the rest is what it
// printed.  Every input must give a short Chinese message, never a crash, a
// hang or a read outside the bytes.

#include "exchange/arjoutput.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int exitCode = data[0] % 16;
    const exchange::ArjTask task = data[0] & 0x80 ? exchange::ArjTask::Pack : exchange::ArjTask::Unpack;
    const QByteArrayView output(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QByteArray member = exchange::arjFailedMember(output);
    if (member.size() > output.size())
        abort();
    const QString text = exchange::arjFailure(task, exitCode, output);
    if (text.isEmpty() || text.size() > 300)
        abort();
    return 0;
}
