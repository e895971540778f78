#include "MailMessage.h"
