#pragma once

#include <QByteArray>
#include <QtGlobal>

class Output;
struct ExportPlan;

// The diary as one self-contained HTML page to read or print: a title block,
// a table of contents by month, then every entry. Written entry by entry into
// the output, so that only about a megabyte of it is held at any time. Inline
// CSS only: no script, no image, nothing fetched from elsewhere.
class HtmlBook {
public:
    explicit HtmlBook(Output& output);

    // plan: the entries to come and their months (the contents are written
    // first); diaryEntries: all entries of the diary.
    void begin(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries);
    // One 4084-byte record as stored (scrambled); numbers in the plan's order.
    void entry(qint32 number, const char* record);
    void end();

private:
    Output& output_;
    QByteArray& out_;
    const ExportPlan* plan_ = nullptr;
    qsizetype nextSection_ = 0;
};
