#include "RedNotebookReader.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <yaml-cpp/yaml.h>

#include <map>

namespace {

// A month of long days stays well below this.
constexpr qint64 MaxMonthSize = qint64(64) << 20;

const QRegularExpression& monthName() {
    static const QRegularExpression name(QStringLiteral("^(\\d{4})-(\\d{2})\\.txt$"));
    return name;
}

QString lineOf(const YAML::Mark& mark) {
    return QStringLiteral("line %1").arg(mark.line + 1);
}

QString scalar(const YAML::Node& node) {
    return node.IsScalar() ? QString::fromStdString(node.Scalar()) : QString();
}

// The items of a category: the keys of a mapping, the members of a list, or
// one scalar.
QStringList itemsOf(const YAML::Node& node) {
    QStringList out;
    if (node.IsMap()) {
        for (const auto& item : node)
            out << scalar(item.first);
    } else if (node.IsSequence()) {
        for (const auto& item : node)
            out << scalar(item);
    } else if (node.IsScalar()) {
        out << scalar(node);
    }
    out.removeAll(QString());
    return out;
}

} // namespace

ReadResult readRedNotebookMonth(const QByteArray& yaml, const QString& fileName, ImportedJournal& journal) {
    const QRegularExpressionMatch name = monthName().match(fileName);
    const int year = name.captured(1).toInt();
    const int month = name.captured(2).toInt();
    if (!name.hasMatch() || month < 1 || month > 12)
        return ReadResult::malformed(QStringLiteral("%1: the name is not a month (YYYY-MM.txt)").arg(fileName));

    YAML::Node root;
    try {
        root = YAML::Load(yaml.toStdString());
    } catch (const YAML::Exception& error) {
        return ReadResult::malformed(QStringLiteral("%1, %2: not YAML (%3)")
                                         .arg(fileName, lineOf(error.mark), QString::fromStdString(error.msg)));
    }
    if (root.IsNull())
        return {};
    if (!root.IsMap())
        return ReadResult::malformed(QStringLiteral("%1: not a mapping from days to texts").arg(fileName));

    ReadResult result;
    // Days in order, whatever order the file gives them in.
    std::map<int, ImportedEntry> days;
    try {
        for (const auto& day : root) {
            const QString key = scalar(day.first);
            const QString where = QStringLiteral("%1, %2").arg(fileName, lineOf(day.first.Mark()));
            bool numeric = false;
            const int number = key.toInt(&numeric);
            const QDate date(year, month, numeric ? number : 0);
            if (!date.isValid()) {
                result.problems << QStringLiteral("%1: \"%2\" is not a day of %3").arg(where, key, fileName.left(7));
                continue;
            }
            ++journal.read;
            ImportedEntry entry;
            entry.date = date;
            entry.time = QTime(0, 0);
            entry.origin = QStringLiteral("%1, day %2").arg(fileName).arg(number);
            if (!day.second.IsMap() && !day.second.IsNull()) {
                result.problems << QStringLiteral("%1: day %2 is not a mapping with \"text\"").arg(where).arg(number);
                continue;
            }
            QStringList categories;
            for (const auto& field : day.second) {
                const QString fieldName = scalar(field.first);
                if (fieldName == QLatin1String("text")) {
                    if (!field.second.IsScalar() && !field.second.IsNull())
                        result.problems << QStringLiteral("%1, %2: the text of day %3 is not a text")
                                               .arg(fileName, lineOf(field.second.Mark()))
                                               .arg(number);
                    entry.text = scalar(field.second);
                } else if (fieldName.compare(QLatin1String("Tags"), Qt::CaseInsensitive) == 0) {
                    entry.tags += itemsOf(field.second);
                } else {
                    const QStringList items = itemsOf(field.second);
                    categories << (items.isEmpty()
                                       ? fieldName
                                       : fieldName + QStringLiteral(": ") + items.join(QStringLiteral(", ")));
                }
            }
            if (!categories.isEmpty()) {
                if (!entry.text.trimmed().isEmpty())
                    entry.text += QStringLiteral("\n\n");
                entry.text += categories.join(QLatin1Char('\n'));
            }
            days[number] = entry;
        }
    } catch (const YAML::Exception& error) {
        return ReadResult::malformed(
            QStringLiteral("%1, %2: %3").arg(fileName, lineOf(error.mark), QString::fromStdString(error.msg)));
    }
    for (auto& day : days)
        journal.entries.append(std::move(day.second));
    if (!result.problems.isEmpty())
        result.kind = ReadResult::Malformed;
    return result;
}

ReadResult readRedNotebook(const QString& path, ImportedJournal& journal) {
    const QFileInfo info(path);
    QStringList files;
    if (info.isDir()) {
        const QDir folder(path);
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            if (monthName().match(name).hasMatch())
                files << folder.filePath(name);
        }
        if (files.isEmpty())
            return ReadResult::malformed(QStringLiteral("%1 holds no RedNotebook month files (YYYY-MM.txt)").arg(path));
    } else {
        files << path;
    }
    ReadResult all;
    for (const QString& file : files) {
        QByteArray yaml;
        const ReadResult read = readWholeFile(file, MaxMonthSize, yaml);
        if (read.kind != ReadResult::Read)
            return read;
        const ReadResult month = readRedNotebookMonth(yaml, QFileInfo(file).fileName(), journal);
        all.problems += month.problems;
        if (month.kind != ReadResult::Read)
            all.kind = month.kind;
    }
    return all;
}
