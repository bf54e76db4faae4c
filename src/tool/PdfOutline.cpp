#include "PdfOutline.h"

#include <QByteArray>
#include <QIODevice>
#include <QRegularExpression>

#include <vector>

namespace {

// Reads a PDF's objects through its classic cross-reference table.
class PdfObjects {
public:
    explicit PdfObjects(QIODevice& file) : file_(file) {}

    bool readTrailer(QString* error);
    // The text between "N 0 obj" and "endobj"; empty when not found.
    QByteArray object(qint64 number);

    qint64 size = 0;
    qint64 root = -1;
    qint64 previousXref = -1;
    QByteArray info; // "/Info N 0 R", or empty
    QByteArray id;   // "/ID [...]", or empty

private:
    QByteArray readAt(qint64 offset, qint64 length);
    bool readXref(QString* error);

    QIODevice& file_;
    std::vector<qint64> offsets_;
};

QByteArray PdfObjects::readAt(qint64 offset, qint64 length) {
    if (!file_.seek(offset))
        return {};
    return file_.read(length);
}

bool PdfObjects::readTrailer(QString* error) {
    const qint64 fileSize = file_.size();
    const qint64 tailStart = qMax<qint64>(0, fileSize - 4096);
    const QByteArray tail = readAt(tailStart, fileSize - tailStart);
    const qsizetype startxref = tail.lastIndexOf("startxref");
    const qsizetype trailer = tail.lastIndexOf("trailer", startxref);
    if (startxref < 0 || trailer < 0) {
        *error = QStringLiteral("the PDF has no trailer");
        return false;
    }
    const QByteArray dictionary = tail.mid(trailer, startxref - trailer);
    previousXref = tail.mid(startxref + 9).trimmed().split('\n').value(0).trimmed().toLongLong();
    static const QRegularExpression sizePattern(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression rootPattern(QStringLiteral("/Root\\s+(\\d+)\\s+0\\s+R"));
    static const QRegularExpression infoPattern(QStringLiteral("/Info\\s+\\d+\\s+0\\s+R"));
    static const QRegularExpression idPattern(QStringLiteral("/ID\\s*\\[[^\\]]*\\]"));
    const QString text = QString::fromLatin1(dictionary);
    size = sizePattern.match(text).captured(1).toLongLong();
    root = rootPattern.match(text).captured(1).toLongLong();
    info = infoPattern.match(text).captured(0).toLatin1();
    id = idPattern.match(text).captured(0).toLatin1();
    if (size <= 0 || root <= 0 || previousXref <= 0) {
        *error = QStringLiteral("the PDF's trailer cannot be read");
        return false;
    }
    return readXref(error);
}

bool PdfObjects::readXref(QString* error) {
    offsets_.assign(size_t(size), -1);
    if (!file_.seek(previousXref) || file_.readLine().trimmed() != "xref") {
        *error = QStringLiteral("the PDF has no cross-reference table");
        return false;
    }
    while (true) {
        const QList<QByteArray> head = file_.readLine().simplified().split(' ');
        if (head.size() != 2)
            break; // "trailer"
        const qint64 first = head.at(0).toLongLong();
        const qint64 count = head.at(1).toLongLong();
        const QByteArray lines = file_.read(count * 20);
        if (lines.size() != count * 20 || first < 0 || first + count > size) {
            *error = QStringLiteral("the PDF's cross-reference table is cut off");
            return false;
        }
        for (qint64 k = 0; k < count; ++k) {
            const char* line = lines.constData() + k * 20;
            if (line[17] == 'n')
                offsets_[size_t(first + k)] = QByteArray(line, 10).toLongLong();
        }
    }
    return true;
}

QByteArray PdfObjects::object(qint64 number) {
    if (number <= 0 || number >= qint64(offsets_.size()) || offsets_[size_t(number)] < 0)
        return {};
    const qint64 offset = offsets_[size_t(number)];
    for (qint64 length = 1024; length <= (64 << 20); length *= 4) {
        const QByteArray text = readAt(offset, length);
        const qsizetype end = text.indexOf("endobj");
        const qsizetype start = text.indexOf("obj");
        if (end > start && start >= 0)
            return text.mid(start + 3, end - start - 3);
        if (text.size() < length)
            break;
    }
    return {};
}

// Object numbers of every page, in page order, from the page tree.
bool collectPages(PdfObjects& pdf, qint64 node, QList<qint64>& pages, int depth) {
    const QByteArray body = pdf.object(node);
    if (body.isEmpty() || depth > 32)
        return false;
    static const QRegularExpression pagesType(QStringLiteral("/Type\\s*/Pages\\b"));
    if (!pagesType.match(QString::fromLatin1(body.left(4096))).hasMatch()) {
        pages.append(node);
        return true;
    }
    const qsizetype kids = body.indexOf("/Kids");
    const qsizetype open = body.indexOf('[', kids);
    const qsizetype close = body.indexOf(']', open);
    if (kids < 0 || open < 0 || close < 0)
        return false;
    const QList<QByteArray> words = body.mid(open + 1, close - open - 1).simplified().split(' ');
    for (qsizetype i = 0; i + 2 < words.size(); i += 3) {
        if (words.at(i + 2) != "R" || !collectPages(pdf, words.at(i).toLongLong(), pages, depth + 1))
            return false;
    }
    return true;
}

// A PDF text string: UTF-16BE with its byte order mark, in hex.
QByteArray pdfText(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex + '>';
}

QByteArray xrefLine(qint64 offset) {
    return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
}

} // namespace

bool appendPdfOutline(QIODevice& file, const QList<PdfOutlineItem>& items, QString* error) {
    // The trailer is read also when there is nothing to add: a PDF whose
    // writing failed part-way has none.
    PdfObjects pdf(file);
    if (!pdf.readTrailer(error))
        return false;
    if (items.isEmpty())
        return true;
    const QByteArray catalog = pdf.object(pdf.root);
    static const QRegularExpression pagesRef(QStringLiteral("/Pages\\s+(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch pagesMatch = pagesRef.match(QString::fromLatin1(catalog));
    QList<qint64> pages;
    if (!pagesMatch.hasMatch() || !collectPages(pdf, pagesMatch.captured(1).toLongLong(), pages, 0)) {
        *error = QStringLiteral("the PDF's pages cannot be found");
        return false;
    }

    // The old catalog with the outline added (and any page mode replaced).
    QString dictionary = QString::fromLatin1(catalog).trimmed();
    const qsizetype close = dictionary.lastIndexOf(QLatin1String(">>"));
    if (!dictionary.startsWith(QLatin1String("<<")) || close < 0) {
        *error = QStringLiteral("the PDF's catalog cannot be read");
        return false;
    }
    dictionary.truncate(close);
    static const QRegularExpression oldKeys(QStringLiteral("/(Outlines\\s+\\d+\\s+\\d+\\s+R|PageMode\\s*/\\w+)"));
    dictionary.remove(oldKeys);

    const qint64 outlineRoot = pdf.size;
    const qint64 firstItem = outlineRoot + 1;
    const qint64 count = items.size();
    QByteArray update;
    qint64 position = file.size();
    if (!file.seek(position - 1) || file.read(1) != "\n")
        update += '\n';
    std::vector<qint64> offsets;
    const auto beginObject = [&](qint64 number) {
        offsets.push_back(position + update.size());
        update += QByteArray::number(number) + " 0 obj\n";
    };

    beginObject(pdf.root);
    update += dictionary.toLatin1() + "\n/Outlines " + QByteArray::number(outlineRoot) +
              " 0 R\n/PageMode /UseOutlines\n>>\nendobj\n";
    beginObject(outlineRoot);
    update += "<<\n/Type /Outlines\n/First " + QByteArray::number(firstItem) + " 0 R\n/Last " +
              QByteArray::number(firstItem + count - 1) + " 0 R\n/Count " + QByteArray::number(count) +
              "\n>>\nendobj\n";
    for (qint64 i = 0; i < count; ++i) {
        const PdfOutlineItem& item = items.at(i);
        const qint64 page = pages.value(qBound(qsizetype(0), qsizetype(item.page), pages.size() - 1));
        beginObject(firstItem + i);
        update += "<<\n/Title " + pdfText(item.title) + "\n/Parent " + QByteArray::number(outlineRoot) + " 0 R\n";
        if (i > 0)
            update += "/Prev " + QByteArray::number(firstItem + i - 1) + " 0 R\n";
        if (i + 1 < count)
            update += "/Next " + QByteArray::number(firstItem + i + 1) + " 0 R\n";
        update += "/Dest [" + QByteArray::number(page) + " 0 R /XYZ null null null]\n>>\nendobj\n";
    }

    const qint64 xref = position + update.size();
    update += "xref\n" + QByteArray::number(pdf.root) + " 1\n" + xrefLine(offsets.at(0));
    update += QByteArray::number(outlineRoot) + ' ' + QByteArray::number(count + 1) + '\n';
    for (size_t k = 1; k < offsets.size(); ++k)
        update += xrefLine(offsets.at(k));
    update += "trailer\n<<\n/Size " + QByteArray::number(firstItem + count) + "\n/Root " +
              QByteArray::number(pdf.root) + " 0 R\n";
    if (!pdf.info.isEmpty())
        update += pdf.info + '\n';
    if (!pdf.id.isEmpty())
        update += pdf.id + '\n';
    update +=
        "/Prev " + QByteArray::number(pdf.previousXref) + "\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";

    if (!file.seek(position) || file.write(update) != update.size()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
