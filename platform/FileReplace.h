#pragma once
// Replacing a file's contents without ever leaving it empty or cut short: the new contents go to a temporary
// file beside the target, are flushed and synced, and only then renamed over it. Where the folder refuses a
// temporary file but the target itself is writable, the target is overwritten in place and, if that fails,
// given back its previous contents.
#include <QByteArray>
#include <QString>

struct FileReplaceResult {
    bool ok = true;
    // What failed, in the system's words ("No space left on device"); empty on success.
    QString error;
    // False only when an in-place write failed and the previous contents could not be put back.
    bool previousIntact = true;
    // The target was overwritten in place instead of replaced through a temporary file.
    bool inPlace = false;
};

FileReplaceResult replaceFileContents(const QString& path, const QByteArray& data);
