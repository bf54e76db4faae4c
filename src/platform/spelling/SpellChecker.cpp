#include "SpellChecker.h"

#include <enchant.h>

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>

namespace {

std::unique_ptr<SpellChecker>& live() {
    static std::unique_ptr<SpellChecker> checker;
    return checker;
}

bool dictionariesHidden = false;

QString capitalised(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

SpellChecker& SpellChecker::instance() {
    if (!live())
        live().reset(new SpellChecker);
    return *live();
}

void SpellChecker::setDictionariesHiddenForTesting(bool hidden) {
    dictionariesHidden = hidden;
    live().reset();
}

SpellChecker::SpellChecker() {
    broker_ = enchant_broker_init();
    if (!broker_ || dictionariesHidden)
        return;
    QStringList tags;
    enchant_broker_list_dicts(
        broker_,
        [](const char* tag, const char*, const char*, const char*, void* data) {
            static_cast<QStringList*>(data)->append(QString::fromUtf8(tag));
        },
        &tags);
    tags.removeDuplicates();
    for (const QString& tag : std::as_const(tags))
        dictionaries_.append({tag, displayName(tag)});
    std::sort(dictionaries_.begin(), dictionaries_.end(),
              [](const Dictionary& a, const Dictionary& b) { return a.name.localeAwareCompare(b.name) < 0; });
    language_ = defaultLanguage();
    loadInBackground(language_);
}

SpellChecker::~SpellChecker() {
    settle();
    if (!broker_)
        return;
    for (EnchantDict* dict : std::as_const(dicts_))
        enchant_broker_free_dict(broker_, dict);
    for (EnchantDict* dict : std::as_const(personal_))
        enchant_broker_free_dict(broker_, dict);
    enchant_broker_free(broker_);
}

bool SpellChecker::hasDictionary(const QString& tag) const {
    return std::any_of(dictionaries_.begin(), dictionaries_.end(), [&](const Dictionary& d) { return d.tag == tag; });
}

QString SpellChecker::defaultLanguage() const {
    if (dictionaries_.isEmpty())
        return {};
    // The C locale speaks English.
    const QLocale desktop =
        QLocale::system().language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale::system();
    if (hasDictionary(desktop.name()))
        return desktop.name();
    // A dictionary of the same language for another country is still better.
    const QString language = desktop.name().section(QLatin1Char('_'), 0, 0);
    for (const Dictionary& d : dictionaries_) {
        if (d.tag.section(QLatin1Char('_'), 0, 0) == language)
            return d.tag;
    }
    return dictionaries_.first().tag;
}

void SpellChecker::setLanguage(const QString& tag) {
    if (tag == language_ || !hasDictionary(tag))
        return;
    language_ = tag;
    known_.clear();
    loadInBackground(tag);
    emit wordsChanged();
}

void SpellChecker::loadInBackground(const QString& tag) {
    if (!broker_ || tag.isEmpty() || dicts_.contains(tag) || tag == loadingTag_)
        return;
    settle();
    loadingTag_ = tag;
    loading_ = std::async(std::launch::async, [this, broker = broker_, name = tag.toUtf8()] {
        EnchantDict* dict = enchant_broker_request_dict(broker, name.constData());
        QMetaObject::invokeMethod(this, &SpellChecker::loaded, Qt::QueuedConnection);
        return dict;
    });
}

void SpellChecker::settle() {
    if (!loading_.valid())
        return;
    dicts_.insert(loadingTag_, loading_.get());
    loadingTag_.clear();
}

void SpellChecker::loaded() {
    if (!loading_.valid())
        return; // already taken in by a call that could not wait
    const bool current = loadingTag_ == language_;
    settle();
    if (current) {
        known_.clear();
        emit wordsChanged();
    }
}

EnchantDict* SpellChecker::dictionaryFor(const QString& tag) {
    if (!broker_ || tag.isEmpty())
        return nullptr;
    // A dictionary in use goes on working while another one loads.
    auto found = dicts_.constFind(tag);
    if (found != dicts_.constEnd())
        return found.value();
    settle();
    found = dicts_.constFind(tag);
    if (found != dicts_.constEnd())
        return found.value();
    EnchantDict* dict = enchant_broker_request_dict(broker_, tag.toUtf8().constData());
    dicts_.insert(tag, dict);
    return dict;
}

EnchantDict* SpellChecker::personalListFor(const QString& tag) {
    if (!broker_ || tag.isEmpty())
        return nullptr;
    auto found = personal_.constFind(tag);
    if (found != personal_.constEnd())
        return found.value();
    settle();
    const QString path = personalListPath(tag);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EnchantDict* dict = enchant_broker_request_pwl_dict(broker_, QFile::encodeName(path).constData());
    personal_.insert(tag, dict);
    return dict;
}

bool SpellChecker::isCorrect(const QString& word) {
    if (language_ == loadingTag_)
        return true; // not in yet: wordsChanged() follows
    EnchantDict* dict = dictionaryFor(language_);
    if (!dict || word.isEmpty())
        return true;
    auto found = known_.constFind(word);
    if (found != known_.constEnd())
        return found.value();
    const QByteArray utf8 = word.toUtf8();
    bool correct = ignored_.contains(word) || enchant_dict_check(dict, utf8.constData(), utf8.size()) == 0;
    if (!correct) {
        EnchantDict* personal = personalListFor(language_);
        correct = personal && enchant_dict_check(personal, utf8.constData(), utf8.size()) == 0;
    }
    known_.insert(word, correct);
    return correct;
}

QStringList SpellChecker::suggestions(const QString& word, int most) {
    QStringList out;
    const QByteArray utf8 = word.toUtf8();
    for (EnchantDict* dict : {dictionaryFor(language_), personalListFor(language_)}) {
        if (!dict || utf8.isEmpty())
            continue;
        size_t count = 0;
        char** list = enchant_dict_suggest(dict, utf8.constData(), utf8.size(), &count);
        for (size_t i = 0; i < count && out.size() < most; ++i) {
            const QString suggestion = QString::fromUtf8(list[i]);
            if (!out.contains(suggestion))
                out.append(suggestion);
        }
        if (list)
            enchant_dict_free_string_list(dict, list);
    }
    return out;
}

void SpellChecker::addToPersonalList(const QString& word) {
    EnchantDict* personal = personalListFor(language_);
    if (!personal || word.isEmpty())
        return;
    const QByteArray utf8 = word.toUtf8();
    enchant_dict_add(personal, utf8.constData(), utf8.size());
    known_.clear();
    emit wordsChanged();
}

void SpellChecker::ignoreForSession(const QString& word) {
    ignored_.insert(word);
    known_.clear();
    emit wordsChanged();
}

QString SpellChecker::personalListPath(const QString& tag) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quorvel/words_%1.dic").arg(tag);
}

QString SpellChecker::displayName(const QString& tag) {
    const QLocale locale(tag);
    if (locale.language() == QLocale::C)
        return tag;
    // The language's own name without a country ("English", not "American English").
    const QString language = capitalised(QLocale(locale.language(), QLocale::World).nativeLanguageName());
    if (!tag.contains(QLatin1Char('_')) && !tag.contains(QLatin1Char('-')))
        return language;
    return QStringLiteral("%1 (%2)").arg(language, capitalised(locale.nativeTerritoryName()));
}
