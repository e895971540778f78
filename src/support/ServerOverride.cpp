#include "ServerOverride.h"

ServerOverride ServerOverride::fromEnvironment()
{
    return {qEnvironmentVariable("TESSALINE_IMAP_HOST"), qEnvironmentVariable("TESSALINE_CA_FILE")};
}
