#include "SearchQuery.h"

#include "Cp1252.h"
#include "MoodMonths.h"
#include "TextMatcher.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

bool parseRatingSet(const QString& text, const std::array<QString, 4>& captions, quint8& set) {
    quint8 parsed = 0;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& raw : parts) {
        const QString part = raw.simplified();
        int rating = -1;
        for (int r = 0; r < 4; ++r) {
            if (part.compare(captions[size_t(r)], Qt::CaseInsensitive) == 0 || part == QString::number(r))
                rating = r;
        }
        if (rating < 0)
            return false;
        parsed |= quint8(1u << rating);
    }
    set = parsed;
    return true;
}

} // namespace

void parseSearchTerms(const QString& text, SearchQuery& query) {
    query.required.clear();
    query.excluded.clear();
    query.tags.clear();
    query.excludedTags.clear();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text.at(i).isSpace()) {
            ++i;
            continue;
        }
        const bool exclude = text.at(i) == QLatin1Char('-') && i + 1 < n && !text.at(i + 1).isSpace();
        if (exclude)
            ++i;
        QString term;
        const bool quoted = text.at(i) == QLatin1Char('"');
        if (quoted) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            term = text.mid(i + 1, end - i - 1).trimmed();
            i = close < 0 ? n : close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !text.at(i).isSpace())
                ++i;
            term = text.mid(start, i - start);
        }
        if (term.isEmpty())
            continue;
        if (!quoted && term.startsWith(QLatin1Char('#'))) {
            const QByteArray tag = Tags::foldedName(term.mid(1));
            if (!tag.isEmpty()) {
                (exclude ? query.excludedTags : query.tags).append(tag);
                continue;
            }
        }
        (exclude ? query.excluded : query.required).append(term);
    }
}

bool parseWellnessSet(const QString& text, quint8& set) {
    return parseRatingSet(text, wellnessCaptions(), set);
}

bool parseLoveSet(const QString& text, quint8& set) {
    return parseRatingSet(text, loveCaptions(), set);
}

namespace Tags {

bool isTagByte(unsigned char plain) {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        const QString chars = Cp1252::decode(all);
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = chars.at(b).isLetter() || (b >= '0' && b <= '9') || b == '_' || b == '-';
        return t;
    }();
    return table[plain];
}

QByteArray foldedName(const QString& name) {
    bool ok = false;
    QByteArray bytes = Cp1252::encode(name, &ok);
    if (!ok || bytes.isEmpty())
        return {};
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!isTagByte(b))
            return {};
        c = static_cast<char>(plainFoldTable()[b]);
    }
    return bytes;
}

void collect(const unsigned char* field, qint32 width, bool isText, const unsigned char* toPlain,
             std::vector<Found>& found) {
    const auto* end = field + width;
    const auto* p = static_cast<const unsigned char*>(std::memchr(field, '#', size_t(width)));
    while (p) {
        const bool startsWord = p == field || !isTagByte(toPlain[p[-1]]);
        const auto* q = p + 1;
        while (q < end && isTagByte(toPlain[*q]))
            ++q;
        if (startsWord && q > p + 1) {
            QByteArray name(qsizetype(q - p - 1), Qt::Uninitialized);
            for (qsizetype k = 0; k < name.size(); ++k)
                name[k] = static_cast<char>(plainFoldTable()[toPlain[p[1 + k]]]);
            const auto same = [&name](const Found& tag) { return tag.name == name; };
            if (std::none_of(found.begin(), found.end(), same))
                found.push_back(Found{name, isText ? qint32(p - field) : -1});
        }
        p = q < end ? static_cast<const unsigned char*>(std::memchr(q, '#', size_t(end - q))) : nullptr;
    }
}

QStringList ofEntry(const QString& topic, const QString& text) {
    static const std::array<unsigned char, 256> identity = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = static_cast<unsigned char>(b);
        return t;
    }();
    std::vector<Found> found;
    for (const QString* field : {&topic, &text}) {
        const QByteArray bytes = Cp1252::encode(*field);
        collect(reinterpret_cast<const unsigned char*>(bytes.constData()), qint32(bytes.size()), field == &text,
                identity.data(), found);
    }
    QStringList names;
    for (const Found& tag : found)
        names.append(Cp1252::decode(tag.name));
    return names;
}

} // namespace Tags
