#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// What the journal readers (jrnl, Day One, RedNotebook) make of another
// program's entries, before they are fitted into diary entries.
struct ImportedEntry {
    QDate date; // local wall-clock date and time of the entry
    QTime time;
    QString title;           // the topic when there is one (may be empty)
    QString text;            // "\n" line breaks
    QStringList tags;        // as the other program names them
    QStringList attachments; // one line each, naming files the text does not name already
    QString origin;          // where it came from, for messages: "entry 3", "2024-01.txt, day 5"
};

// Something a diary has no place for, counted over the entries. The texts
// are literals marked with QT_TRANSLATE_NOOP("ImportTexts", ...), translated
// only when the summary is made.
struct LeftOut {
    const char* what; // "the star", "the place"
    const char* why;
    int count = 0;
};

struct ImportedJournal {
    QList<ImportedEntry> entries;
    QList<LeftOut> leftOut;
    int read = 0;             // entries read, also those that are left out
    int localTimeGuesses = 0; // entries whose time zone was unknown (taken as local time)

    void leaveOut(const char* what, const char* why, int count = 1);
};

// How a reader ended. Problems name the entry, file or line concerned.
struct ReadResult {
    enum Kind { Read, Unreadable, Malformed };
    Kind kind = Read;
    QStringList problems;

    static ReadResult unreadable(const QString& problem) { return {Unreadable, {problem}}; }
    static ReadResult malformed(const QString& problem) { return {Malformed, {problem}}; }
};

// The whole file (not a folder, not larger than limit bytes).
ReadResult readWholeFile(const QString& path, qint64 limit, QByteArray& bytes);

// "line L" of a byte offset into text.
QString lineOf(const QByteArray& text, qsizetype offset);
