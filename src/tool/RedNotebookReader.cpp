#include "RedNotebookReader.h"

#include "ImportBounds.h"
#include "ToolTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/mark.h>
#include <yaml-cpp/parser.h>

#include <map>
#include <sstream>
#include <vector>

namespace {

const QRegularExpression& monthName() {
    static const QRegularExpression name(QStringLiteral("^(\\d{4})-(\\d{2})\\.txt$"));
    return name;
}

QString lineOf(const YAML::Mark& mark) {
    return QStringLiteral("line %1").arg(mark.line + 1);
}

// One YAML node as this reader needs it. A mapping's children are its keys
// and values in turn, in the order of the file: a key given twice is kept
// twice (yaml-cpp's own tree leaves the choice to whoever reads it).
struct Node {
    enum Kind { Null, Scalar, Sequence, Map };
    Kind kind = Null;
    QString text;
    YAML::Mark mark;
    std::vector<Node> children;
};

// A month holds 31 days of a few categories each: a million keys and values
// is far beyond any, and a tree of them still small.
constexpr qint64 MaxMonthNodes = 1000000;

// A month beyond the bounds: the text may well be YAML.
struct BeyondBounds : YAML::ParserException {
    using YAML::ParserException::ParserException;
};

// Builds the tree of one document from the parser's events, within the
// import's bounds on nesting and nodes.
class TreeBuilder : public YAML::EventHandler {
public:
    explicit TreeBuilder(qint64& nodesLeft) : nodesLeft_(nodesLeft) {}
    Node root;

    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark& mark, YAML::anchor_t) override { add(Node::Null, mark); }
    void OnAlias(const YAML::Mark& mark, YAML::anchor_t anchor) override {
        // An alias stands for the text of its anchor; anything else of it is
        // not needed here.
        const auto known = anchored_.find(anchor);
        Node& node = add(known == anchored_.end() ? Node::Null : Node::Scalar, mark);
        if (known != anchored_.end())
            node.text = known->second;
    }
    void OnScalar(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                  const std::string& value) override {
        Node& node = add(Node::Scalar, mark);
        node.text = QString::fromStdString(value);
        if (anchor != YAML::NullAnchor)
            anchored_[anchor] = node.text;
    }
    void OnSequenceStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                         YAML::EmitterStyle::value) override {
        open(Node::Sequence, mark);
    }
    void OnSequenceEnd() override { open_.pop_back(); }
    void OnMapStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t, YAML::EmitterStyle::value) override {
        open(Node::Map, mark);
    }
    void OnMapEnd() override { open_.pop_back(); }

private:
    Node& add(Node::Kind kind, const YAML::Mark& mark) {
        if (--nodesLeft_ < 0)
            throw BeyondBounds(mark, QStringLiteral("more than %1 values and keys, more than any month holds")
                                         .arg(MaxMonthNodes)
                                         .toStdString());
        Node* node = &root;
        if (!open_.empty()) {
            open_.back()->children.emplace_back();
            node = &open_.back()->children.back();
        }
        node->kind = kind;
        node->mark = mark;
        return *node;
    }
    void open(Node::Kind kind, const YAML::Mark& mark) {
        if (int(open_.size()) >= ImportBounds::MaxNesting)
            throw BeyondBounds(mark, QStringLiteral("nested more than %1 levels deep; no RedNotebook month is")
                                         .arg(ImportBounds::MaxNesting)
                                         .toStdString());
        // Only the innermost open node grows, so the pointers stay good.
        open_.push_back(&add(kind, mark));
    }

    qint64& nodesLeft_;
    std::vector<Node*> open_;
    std::map<YAML::anchor_t, QString> anchored_;
};

QString scalar(const Node& node) {
    return node.kind == Node::Scalar ? node.text : QString();
}

// The items of a category: the keys of a mapping, the members of a list, or
// one scalar.
QStringList itemsOf(const Node& node) {
    QStringList out;
    if (node.kind == Node::Map) {
        for (std::size_t i = 0; i < node.children.size(); i += 2)
            out << scalar(node.children[i]);
    } else if (node.kind == Node::Sequence) {
        for (const Node& item : node.children)
            out << scalar(item);
    } else {
        out << scalar(node);
    }
    out.removeAll(QString());
    return out;
}

// One month's YAML, the first document, as a tree.
Node parseMonth(const QByteArray& yaml) {
    qint64 nodesLeft = MaxMonthNodes;
    std::istringstream in(std::string(yaml.constData(), std::size_t(yaml.size())));
    YAML::Parser parser(in);
    TreeBuilder builder(nodesLeft);
    parser.HandleNextDocument(builder);
    return std::move(builder.root);
}

} // namespace

ReadResult readRedNotebookMonth(const QByteArray& yaml, const QString& fileName, ImportedJournal& journal) {
    const QRegularExpressionMatch name = monthName().match(fileName);
    const int year = name.captured(1).toInt();
    const int month = name.captured(2).toInt();
    if (!name.hasMatch() || month < 1 || month > 12)
        return ReadResult::malformed(ImportTexts::tr("%1: the name is not a month (YYYY-MM.txt)").arg(fileName));

    Node root;
    try {
        root = parseMonth(yaml);
    } catch (const BeyondBounds& error) {
        return ReadResult::malformed(
            QStringLiteral("%1, %2: %3").arg(fileName, lineOf(error.mark), QString::fromStdString(error.msg)));
    } catch (const YAML::Exception& error) {
        return ReadResult::malformed(QStringLiteral("%1, %2: not YAML (%3)")
                                         .arg(fileName, lineOf(error.mark), QString::fromStdString(error.msg)));
    }
    if (root.kind == Node::Null)
        return {};
    if (root.kind != Node::Map)
        return ReadResult::malformed(QStringLiteral("%1: not a mapping from days to texts").arg(fileName));

    // Days in the order of the file; a day given twice ("5" and "05") stays
    // twice, and the mapping's stable sort keeps the two in this order.
    ReadResult result;
    for (std::size_t d = 0; d + 1 < root.children.size(); d += 2) {
        const Node& key = root.children[d];
        const Node& value = root.children[d + 1];
        const QString dayKey = scalar(key);
        const QString where = QStringLiteral("%1, %2").arg(fileName, lineOf(key.mark));
        bool numeric = false;
        const int number = dayKey.toInt(&numeric);
        const QDate date(year, month, numeric ? number : 0);
        if (!date.isValid()) {
            result.problems << QStringLiteral("%1: \"%2\" is not a day of %3").arg(where, dayKey, fileName.left(7));
            continue;
        }
        ++journal.read;
        ImportedEntry entry;
        entry.date = date;
        entry.time = QTime(0, 0);
        entry.origin = QStringLiteral("%1, day %2").arg(fileName).arg(number);
        if (value.kind != Node::Map && value.kind != Node::Null) {
            result.problems << QStringLiteral("%1: day %2 is not a mapping with \"text\"").arg(where).arg(number);
            continue;
        }
        QStringList categories;
        for (std::size_t f = 0; f + 1 < value.children.size(); f += 2) {
            const QString fieldName = scalar(value.children[f]);
            const Node& field = value.children[f + 1];
            if (fieldName == QLatin1String("text")) {
                if (field.kind != Node::Scalar && field.kind != Node::Null)
                    result.problems << QStringLiteral("%1, %2: the text of day %3 is not a text")
                                           .arg(fileName, lineOf(field.mark))
                                           .arg(number);
                entry.text = scalar(field);
            } else if (fieldName.compare(QLatin1String("Tags"), Qt::CaseInsensitive) == 0) {
                entry.tags += itemsOf(field);
            } else {
                const QStringList items = itemsOf(field);
                categories << (items.isEmpty() ? fieldName
                                               : fieldName + QStringLiteral(": ") + items.join(QStringLiteral(", ")));
            }
        }
        if (!categories.isEmpty()) {
            if (!entry.text.trimmed().isEmpty())
                entry.text += QStringLiteral("\n\n");
            entry.text += categories.join(QLatin1Char('\n'));
        }
        journal.entries.append(std::move(entry));
    }
    if (journal.read > ImportBounds::MaxJournalEntries)
        return ReadResult::malformed(QStringLiteral("%1: more than %2 days read; a diary holds at most %3 entries")
                                         .arg(fileName)
                                         .arg(ImportBounds::MaxJournalEntries)
                                         .arg(DiaryFormat::MaxEntries));
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
            return ReadResult::malformed(
                ImportTexts::tr("%1 holds no RedNotebook month files (YYYY-MM.txt)").arg(path));
    } else {
        files << path;
    }
    ReadResult all;
    // The month files together are bounded as one export is.
    qint64 room = ImportBounds::MaxJournalBytes;
    for (const QString& file : files) {
        QByteArray yaml;
        const ReadResult read = readWholeFile(file, room, yaml);
        if (read.kind != ReadResult::Read)
            return read;
        room -= yaml.size();
        const ReadResult month = readRedNotebookMonth(yaml, QFileInfo(file).fileName(), journal);
        all.problems += month.problems;
        if (month.kind != ReadResult::Read)
            all.kind = month.kind;
    }
    return all;
}
