#include "clsImapSession.h"
