#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// What the entry search looks for: the terms of a query text and the filters
// beside them. Every face of the program parses the text here.
struct SearchQuery {
    enum class Scope { Both, Topics, Texts };

    // Words and phrases that must all occur, and those that must not; as
    // typed (the search folds them).
    QList<QString> required;
    QList<QString> excluded;
    // Tags without their '#', case-folded; the entry must carry each of
    // tags and none of excludedTags.
    QList<QByteArray> tags;
    QList<QByteArray> excludedTags;

    QDate from; // null: open
    QDate to;   // null: open
    // When not empty, only entries of these days (beside from and to).
    QList<QDate> onlyDays;
    // The ratings kept, one bit per rating 0..3; all four: any rating.
    quint8 wellness = AnyRating;
    quint8 love = AnyRating;
    Scope scope = Scope::Both;

    static constexpr quint8 AnyRating = 0x0F;

    bool filtersDays() const { return from.isValid() || to.isValid() || !onlyDays.isEmpty(); }
};

// Splits the query text: blanks separate the terms; "a phrase" in double
// quotes is one term (an open quote runs to the end); #tag asks for a tag;
// a leading '-' excludes the word, "phrase" or #tag after it. Filters are
// left as they are in query.
void parseSearchTerms(const QString& text, SearchQuery& query);

// A set of ratings, written as a comma-separated list of captions ("healthy,
// ill", "in love") or numbers 0 to 3, without regard to case. False when a
// part names no rating.
bool parseWellnessSet(const QString& text, quint8& set);
bool parseLoveSet(const QString& text, quint8& set);

// Tags: '#' not standing right after a letter, digit, '_' or '-', followed by
// one or more letters (Windows-1252 letters included), digits, '_' or '-'.
namespace Tags {
// Whether the plain Windows-1252 byte may stand in a tag's name.
bool isTagByte(unsigned char plain);
// The tag's name case-folded, as tags are compared; empty when the text
// (without '#') is no tag name or holds a character the code page lacks.
QByteArray foldedName(const QString& name);

struct Found {
    QByteArray name; // folded
    qint32 at;       // position in the field; -1: the field is not the text
};
// Adds the tags of one stored field to found, each name once (the first
// place kept). toPlain maps each stored byte to its plain one.
void collect(const unsigned char* field, qint32 width, bool isText, const unsigned char* toPlain,
             std::vector<Found>& found);
// The tags of an entry as the user reads it, topic first, each once:
// folded names without '#'.
QStringList ofEntry(const QString& topic, const QString& text);
} // namespace Tags
