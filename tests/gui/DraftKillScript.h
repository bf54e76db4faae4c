#pragma once

// What the draft typist does to the composer, step by step, so that the kill
// test can rebuild the composer's content after any number of steps: mostly
// characters, now and then a line break or a rating.

#include "EntryDraft.h"

#include <QtGlobal>

namespace DraftKillScript {

struct Step {
    enum class Kind { Character, LineBreak, Wellness, Love } kind = Kind::Character;
    char character = ' ';
    qint16 rating = 0;
};

inline Step stepAt(int k, quint32 round) {
    static const char Words[] = "the quick brown fox jumps over 12 lazy dogs and writes 3 diary pages ";
    if (k % 97 == 50)
        return {Step::Kind::Wellness, ' ', qint16((k / 97 + round) % 4)};
    if (k % 89 == 30)
        return {Step::Kind::Love, ' ', qint16((k / 89 + round + 1) % 4)};
    if (k % 71 == 70)
        return {Step::Kind::LineBreak, ' ', 0};
    return {Step::Kind::Character, Words[(k + round) % (sizeof(Words) - 1)], 0};
}

// The topic the typist sets before its first step.
inline QString topicFor(quint32 round) {
    return QStringLiteral("Round %1 of the kill test").arg(round);
}

// Applies one step to a composer content (text with stored CR LF breaks).
inline void apply(EntryDraft& draft, const Step& step) {
    switch (step.kind) {
    case Step::Kind::Character:
        draft.text += QLatin1Char(step.character);
        break;
    case Step::Kind::LineBreak:
        draft.text += QStringLiteral("\r\n");
        break;
    case Step::Kind::Wellness:
        draft.wellness = step.rating;
        break;
    case Step::Kind::Love:
        draft.love = step.rating;
        break;
    }
}

} // namespace DraftKillScript
