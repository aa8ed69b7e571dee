#pragma once

#include <QString>

#include <QStringList>

// The computer's own IPv4 addresses, up to five: ordinary addresses first
// and loopback ones last (so a machine with only a loopback interface still
// has 127.0.0.1).
QStringList LocalAddresses();
