#pragma once

#include <QString>

// An address and CA file that replace the provider's server: tests, the demo, the CLI's --host.
struct ServerOverride
{
    QString hostAndPort; // "host", "host:port" or "[v6]:port"; empty: none
    QString caFile; // PEM, trusted beside the system's authorities; empty: none

    // TESSALINE_IMAP_HOST and TESSALINE_CA_FILE: read by each front end's main() only.
    static ServerOverride fromEnvironment();
};
