#pragma once

#include <QString>

// The computer's own IPv4 addresses: up to five go into LocalAddressTable,
// ordinary addresses first and loopback ones last (so a machine with only a
// loopback interface still has 127.0.0.1). Entries beyond those found keep
// what they held. Returns the first address, or empty text when there is none.
QString GetLocalAddresses();
