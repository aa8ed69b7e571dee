#include "localaddresses.h"

#include <QHostAddress>
#include <QNetworkInterface>

QStringList LocalAddresses()
{
    QStringList ordinary;
    QStringList loopback;
    const QList<QHostAddress> all = QNetworkInterface::allAddresses();
    for (const QHostAddress& address : all) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        const QString text = QHostAddress(address.toIPv4Address()).toString();
        QStringList& list = address.isLoopback() ? loopback : ordinary;
        if (!ordinary.contains(text) && !loopback.contains(text))
            list << text;
    }
    return (ordinary + loopback).mid(0, 5);
}
