#include "localaddresses.h"

#include "publicvariable.h"

#include <QHostAddress>
#include <QNetworkInterface>

QString GetLocalAddresses()
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
    const QStringList found = (ordinary + loopback).mid(0, 5);

    QStringList& table = mPublicVariable().LocalAddressTable;
    while (table.size() < 5)
        table << QString();
    for (int i = 0; i < found.size(); ++i)
        table[i] = found[i];
    return found.value(0);
}
