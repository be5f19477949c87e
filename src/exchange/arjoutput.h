#pragma once

#include <QByteArrayView>
#include <QString>

// What the `arj` program says when it fails, told to the user in Chinese:
// what went wrong and at which member.  Its own output (English, and the
// member names as the package stores them) never reaches the user raw.
namespace exchange {

enum class ArjTask { Pack, Unpack };

// The message for a run of `arj` that ended with `exitCode`, from that code
// and the member its output was working on when it failed.
QString arjFailure(ArjTask task, int exitCode, QByteArrayView output);

// The member `arj` was at when its output ends, or names a CRC error
// (empty when the output names none).  Lines are "Extracting NAME ...",
// "Adding NAME ...", "Testing NAME ...".
QByteArray arjFailedMember(QByteArrayView output);

// The message when the archiver program cannot be started at all.
QString arjMissing(const QString &program);

} // namespace exchange
