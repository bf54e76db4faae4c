#include "ImportBounds.h"

#include "ImportedJournal.h"
#include "ToolTexts.h"

namespace ImportBounds {

QString jsonRefusal(const QByteArray& json, const QString& source, qint64 longestString) {
    // One pass over the text, strings skipped: what the parser would build.
    int depth = 0;
    qint64 containers = 0;
    qint64 values = 0;
    const char* data = json.constData();
    const qsizetype size = json.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '"') {
            const qsizetype start = i;
            for (++i; i < size && data[i] != '"'; ++i) {
                if (data[i] == '\\')
                    ++i;
            }
            if (longestString > 0 && i - start - 1 > longestString)
                return QStringLiteral("%1, %2: a text of more than %3 bytes, longer than any a diary holds")
                    .arg(source, lineOf(json, start))
                    .arg(longestString);
        } else if (c == '{' || c == '[') {
            if (++depth > MaxNesting)
                return QStringLiteral("%1, %2: nested more than %3 levels deep; no export is")
                    .arg(source, lineOf(json, i))
                    .arg(MaxNesting);
            if (++containers > MaxContainers)
                return QStringLiteral("%1: more than %2 objects and lists, more than any diary needs; "
                                      "nothing more is read")
                    .arg(source)
                    .arg(MaxContainers);
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == ',' || c == ':') {
            // A parser keeps every key and value: a list item but the first
            // follows a comma, an object member adds its key at the colon.
            if (++values > MaxValues)
                return QStringLiteral("%1: more than %2 values, more than any diary needs; nothing more is read")
                    .arg(source)
                    .arg(MaxValues);
        }
    }
    return {};
}

QString tooLarge(const QString& source, qint64 limit) {
    return ImportTexts::tr("%1 is larger than an export of the largest diary (%2 bytes)").arg(source).arg(limit);
}

} // namespace ImportBounds
