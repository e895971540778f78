#pragma once

#include "MailMessage.h"

#include "imap/KeptMessage.h"

// A read message's texts as they are kept for a later run (UTF-8, each buffer no larger than its
// text), and the message again from what was kept.
class KeptTexts
{
public:
    // `htmlIncluded`: the HTML part was read too.
    static KeptMessage of(const MailMessage &message, bool htmlIncluded);
    static MailMessage message(const KeptMessage &kept);
};
