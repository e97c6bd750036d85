#pragma once

#include <QString>

// Says why a file operation failed in words a user can act on. systemText is the failure as Qt reports it
// (QFileDevice::errorString()): the common causes (no permission, read-only place, disk full, not found, a folder
// in the way, ...) become a Japanese phrase; text Qt has already put into Japanese stays as it is; anything else is
// kept, after a Japanese lead-in, for whoever helps the user. Never empty.
QString japaneseReason(const QString& systemText);
