#pragma once

#include <QString>

// Text that came from elsewhere (a server's reply, a greeting) made safe to show: control
// characters become visible escapes (\x1B, \u202E) so that they cannot move the cursor, set a
// terminal's title, colour text or reverse what follows. Printable Unicode is kept; a backslash
// is kept as it is, so escaping twice changes nothing.
enum class LineBreaks { Escaped, Kept };
QString EscapeControlCharacters(const QString &text, LineBreaks lineBreaks = LineBreaks::Escaped);
