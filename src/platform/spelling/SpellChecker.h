#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>

struct str_enchant_broker;
struct str_enchant_dict;

// Spell checking through Enchant-2, which serves the system's Hunspell,
// Nuspell and Aspell dictionaries. Words are checked as the user sees them
// (Unicode, handed to Enchant as UTF-8). The personal word list of each
// language is a plain word file in the user's settings folder
// (~/.config/quorvel/words_<tag>.dic), opened as an Enchant personal
// dictionary, so every diary of that language shares it.
// A dictionary takes 50-150 ms to load: it loads on a thread of its own
// while words count as spelt right, and wordsChanged() follows when it is in.
class SpellChecker : public QObject {
    Q_OBJECT
public:
    struct Dictionary {
        QString tag;  // "de_DE"
        QString name; // "Deutsch (Deutschland)"
    };

    // The one checker of the program.
    static SpellChecker& instance();
    ~SpellChecker() override;

    // The installed dictionaries, sorted by name; empty when there are none.
    const QList<Dictionary>& dictionaries() const { return dictionaries_; }
    bool hasDictionaries() const { return !dictionaries_.isEmpty(); }
    bool hasDictionary(const QString& tag) const;
    // The desktop's language when a dictionary serves it (English under the C
    // locale), else the first one.
    QString defaultLanguage() const;

    // The language words are checked in ("" when none is installed).
    QString language() const { return language_; }
    void setLanguage(const QString& tag);

    // True when the word is spelt right (or there is nothing to check with yet).
    bool isCorrect(const QString& word);
    // At most `most` suggestions for a misspelt word, best first.
    QStringList suggestions(const QString& word, int most = 8);
    // Accepts the word from now on in every diary of this language.
    void addToPersonalList(const QString& word);
    // Accepts the word until the program ends.
    void ignoreForSession(const QString& word);

    // Where the personal word list of a language lives.
    static QString personalListPath(const QString& tag);
    // "English (United States)" for "en_US", as the language calls itself.
    static QString displayName(const QString& tag);

    // Tests: behave as if no dictionary were installed; drops the checker,
    // so the next instance() starts anew.
    static void setDictionariesHiddenForTesting(bool hidden);

signals:
    // The language changed or a word was added or ignored: check again.
    void wordsChanged();

private:
    SpellChecker();
    // Starts loading the dictionary of tag on its own thread.
    void loadInBackground(const QString& tag);
    // Waits for a load under way: the broker serves one thread at a time.
    void settle();
    void loaded();
    str_enchant_dict* dictionaryFor(const QString& tag);
    str_enchant_dict* personalListFor(const QString& tag);

    str_enchant_broker* broker_ = nullptr;
    QList<Dictionary> dictionaries_;
    QHash<QString, str_enchant_dict*> dicts_;
    QHash<QString, str_enchant_dict*> personal_;
    QString loadingTag_;
    std::future<str_enchant_dict*> loading_;
    QString language_;
    QSet<QString> ignored_;
    QHash<QString, bool> known_; // words of this language already checked
};
