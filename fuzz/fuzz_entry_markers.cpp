// The line-number entry check and the between-marker scan on arbitrary texts.
//
// Input: byte 0 holds the options (bit 0 with X, bit 1 with Y, bit 2 duplicates shown, bit 3 the
// texts are raw UTF-16 rather than UTF-8, so lone surrogates occur too). The rest is split at NUL
// characters into the line-number entry, the text scanned, X and Y.

#include "BetweenMarkers.h"
#include "FuzzCheck.h"
#include "FuzzRowSink.h"
#include "LineNumberEntry.h"
#include "TextRules.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

QString textOf(const std::uint8_t *data, std::size_t size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, std::size_t(text.size()) * sizeof(QChar));
    return text;
}

void checkLineNumberEntry(const QString &entry)
{
    const LineNumberList list = ParseLineNumbers(entry);
    const QStringList pieces = entry.split(u',');
    if (IsValidLineNumberEntry(entry)) {
        // An entry that passed the check yields a number for every piece and is never refused
        // as "not a number"; its only possible complaint is a piece beyond 16 bits.
        FUZZ_CHECK(list.numbers.size() == pieces.size());
        FUZZ_CHECK(!list.failure.startsWith(QStringLiteral("Type mismatch")));
    }
    for (const QString &piece : pieces) {
        if (!IsNumericText(piece))
            continue;
        bool converted = false;
        piece.trimmed().toDouble(&converted);
        // Whatever the check calls a number must convert; only an exponent may overflow.
        FUZZ_CHECK(converted || piece.contains(u'e', Qt::CaseInsensitive));
    }
    for (qsizetype line : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(32767)})
        (void)list.picks(line);
}

void checkBetween(const QString &source, const BetweenOptions &options)
{
    FuzzRowSink sink;
    ExtractBetween(source, options, sink);
    if (!BetweenMarkersProblem(options.start, options.end).isEmpty()) {
        FUZZ_CHECK(sink.rows().isEmpty());
        return;
    }
    if (!options.showDuplicates)
        FUZZ_CHECK(!sink.hasDuplicates());
    for (QString row : sink.rows()) {
        FUZZ_CHECK(!row.isEmpty());
        if (options.includeStart) {
            FUZZ_CHECK(row.startsWith(options.start));
            row.remove(0, options.start.size());
        }
        if (options.includeEnd) {
            FUZZ_CHECK(row.endsWith(options.end));
            row.chop(options.end.size());
        }
        // The piece itself comes from the text, as written there.
        FUZZ_CHECK(source.contains(row));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const QString all = textOf(data + 1, size - 1, flags & 8);
    const QStringList parts = all.split(QChar(u'\0'));

    const QString entry = parts.value(0);
    checkLineNumberEntry(entry);

    const QString source = parts.value(1);
    FUZZ_CHECK(LowerCaseSameLength(source).size() == source.size());
    BetweenOptions options;
    options.start = parts.value(2);
    options.end = parts.value(3);
    options.includeStart = flags & 1;
    options.includeEnd = flags & 2;
    options.showDuplicates = flags & 4;
    checkBetween(source, options);
    return 0;
}
