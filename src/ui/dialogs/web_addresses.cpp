// SPDX-License-Identifier: MIT
#include "ui/dialogs/web_addresses.h"

#include <QDesktopServices>

#include "platform/notifier.h"

#ifndef QUILLON_WEB_BASE
#define QUILLON_WEB_BASE "https://quillon.example.org/"
#endif

namespace quillon {
namespace {

QString& baseOverride() {
    static QString base;
    return base;
}

AddressOpener& opener() {
    static AddressOpener instance;
    return instance;
}

QString withSlash(QString s) {
    if (!s.endsWith(QLatin1Char('/'))) s += QLatin1Char('/');
    return s;
}

constexpr const char* kVersion = "4.71";

}  // namespace

QString WebBaseAddress() {
    if (!baseOverride().isEmpty()) return withSlash(baseOverride());
    const QString fromEnvironment = qEnvironmentVariable("QUILLON_WEB_BASE");
    if (!fromEnvironment.isEmpty()) return withSlash(fromEnvironment);
    return withSlash(QStringLiteral(QUILLON_WEB_BASE));
}

void SetWebBaseAddress(const QString& base) {
    baseOverride() = base;
}

QUrl HomePageAddress() {
    return QUrl(WebBaseAddress());
}

QUrl UpdateCheckAddress() {
    return QUrl(WebBaseAddress() + QStringLiteral("check_update.php?version=471"));
}

QUrl SupportAddress(const QString& message, const QDateTime& now) {
    // The message is percent-encoded: an "&", "#" or blank in it would
    // otherwise cut the query short or end the address.
    const QString info = now.toString(QStringLiteral("MM/dd/yy")) + QLatin1Char('+') +
                         now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("+(") +
                         QString::fromLatin1(kVersion) + QLatin1Char(')');
    const QString query = QStringLiteral("error=") + QString::fromLatin1(QUrl::toPercentEncoding(message)) +
                          QStringLiteral("&sid=&data=&info=") + info;
    QUrl url(WebBaseAddress() + QStringLiteral("support.php"));
    url.setQuery(query, QUrl::StrictMode);
    return url;
}

void SetAddressOpener(AddressOpener o) {
    opener() = std::move(o);
}

void OpenAddress(const QUrl& address) {
    if (opener())
        opener()(address);
    else
        QDesktopServices::openUrl(address);
}

void NotifyError(const QString& message, bool withoutAsking) {
    if (!withoutAsking) {
        const QString text =
            QStringLiteral("Error message '") + message + QStringLiteral("'\n\nDo you want to send notification?");
        if (notifier().show(u"Application Error", text.toStdU16String(), MessageIcon::Error, MessageButtons::YesNo) !=
            MessageAnswer::Yes)
            return;
    }
    OpenAddress(SupportAddress(message, QDateTime::currentDateTime()));
}

}  // namespace quillon
