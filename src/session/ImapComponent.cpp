#include "ImapComponent.h"
