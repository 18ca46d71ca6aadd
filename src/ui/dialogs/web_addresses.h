// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <functional>

namespace quillon {

// The maker's pages all lie below one base address: the build's default
// (QUILLON_WEB_BASE), or the environment variable QUILLON_WEB_BASE, or what
// SetWebBaseAddress gave. It always ends in "/".
QString WebBaseAddress();
void SetWebBaseAddress(const QString& base);  // empty: back to the default

QUrl HomePageAddress();
// check_update.php?version=471
QUrl UpdateCheckAddress();
// support.php with the error message, empty sid and data, and the local date,
// time and program version as info.
QUrl SupportAddress(const QString& message, const QDateTime& now);

// Opens an address in the user's browser; a failure is ignored. Tests
// replace the opener so that nothing is ever requested.
using AddressOpener = std::function<void(const QUrl&)>;
void SetAddressOpener(AddressOpener opener);  // empty: the desktop's browser
void OpenAddress(const QUrl& address);

// The error notification: unless withoutAsking, asks whether to send a
// notification about message ("Application Error"); on Yes, or at once
// without asking, opens the support page for it.
void NotifyError(const QString& message, bool withoutAsking);

}  // namespace quillon
