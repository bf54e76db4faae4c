#pragma once

#include "DiaryCrypto.h"
#include "StorageStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Turning a plain diary into an encrypted one and back, in place: the one
// rewrite behind quorvel-tool encrypt/decrypt and the window's Options ›
// Encryption. The caller holds the diary's lock and has proven its password.
// Touches no global state (the open key, publicHeader), so a worker thread
// may run it; the caller moves the session over afterwards.
namespace DiaryKindChange {

// The entries whose stored text reaches beyond what an encrypted record
// holds (they cannot be encrypted). *error says why the file could not be read.
QList<qint32> textsTooLong(const QString& path, QString* error);

struct Request {
    bool encrypt = true;
    // Decrypt: the diary's password as proven, for the plain header (at most
    // DiaryFormat::PasswordWidth bytes; refused, never cut, when longer).
    QString password;
    DiaryCrypto::KeyPtr oldKey; // decrypt: the encrypted diary's key
    DiaryCrypto::KeyPtr newKey; // encrypt: the key from the new password
    std::function<void(qint32 done, qint32 total)> progress;
};

struct Outcome {
    qint32 damagedEntry = 0; // decrypt: the first record that fails to open (nothing changed)
    bool refused = false;    // the request does not fit the diary (nothing changed)
    QByteArray oldHeader;    // the header records before and after
    QByteArray newHeader;
    StorageStatus draftCarried; // the diary is in its new form, but its draft could not follow
};

// Rewrites every record for the new kind through rewriteDiary, the draft
// carried along (DraftCarry). A failure leaves the old diary whole.
StorageStatus change(const QString& path, const Request& request, Outcome& outcome);

// After a change of the diary open in this process (the window's session):
// its header, the opened diary's record and the open key follow the new
// form (newKey when encrypted, none when plain). Call it on the thread that
// owns the session.
void sessionFollows(const QString& path, const Outcome& outcome, const DiaryCrypto::KeyPtr& newKey);

} // namespace DiaryKindChange
