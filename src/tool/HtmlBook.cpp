#include "HtmlBook.h"

#include "DiaryFormat.h"
#include "DiaryPart.h"
#include "ExportFormats.h"
#include "ToolCommon.h"

#include <QDate>

using namespace DiaryFormat;

namespace {

// Screen: a calm reading column. Paper: each month on a new page, links in
// the text colour, the contents without underlines.
constexpr char styleSheet[] = R"(
body { font-family: "DejaVu Serif", Georgia, "Times New Roman", serif; color: #222; background: #fdfcf8;
       max-width: 40em; margin: 0 auto; padding: 2em 1.5em; line-height: 1.5; }
.title { text-align: center; margin: 5em 0 4em; }
.title h1 { font-size: 2.4em; margin: 0 0 .4em; font-weight: normal; }
.title .owner { font-size: 1.3em; font-style: italic; margin: 0 0 2em; }
.title .facts { color: #555; margin: .2em 0; }
nav h2, .month > h2 { font-weight: normal; letter-spacing: .05em; border-bottom: 1px solid #bbb; padding-bottom: .2em; }
nav ol { list-style: none; padding: 0; }
nav li { display: flex; gap: .5em; }
nav li .count { margin-left: auto; color: #666; }
nav a { color: #1d4e89; text-decoration: none; }
.month { margin-top: 4em; }
.entry { margin: 2.2em 0; }
.entry h3 { font-size: 1.15em; margin: 0; }
.entry .number { color: #888; font-weight: normal; margin-right: .6em; }
.entry .when { color: #666; font-size: .9em; margin: .1em 0 .7em; }
.entry .text { white-space: pre-wrap; margin: 0; }
@page { margin: 2cm; }
@media print {
  body { background: none; max-width: none; padding: 0; font-size: 11pt; }
  a, a:visited, nav a { color: inherit; text-decoration: none; }
  .title { margin-top: 30%; }
  nav { break-after: page; page-break-after: always; }
  .month { margin-top: 0; break-before: page; page-break-before: always; }
  .entry h3, .entry .when { break-after: avoid; page-break-after: avoid; }
}
)";

QByteArray decimal(qint64 n) {
    return QByteArray::number(n);
}

QByteArray escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

HtmlBook::HtmlBook(Output& output) : output_(output), out_(output.buffer()) {}

void HtmlBook::begin(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries) {
    plan_ = &plan;
    const char* h = headerRecord.constData();
    out_.append("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
    appendHtmlField(out_, h + TitleOffset, TitleWidth, false, false);
    out_.append(" \xE2\x80\x93 ");
    appendHtmlField(out_, h + OwnerOffset, OwnerWidth, false, false);
    out_.append("</title>\n<style>").append(styleSheet).append("</style>\n</head>\n<body>\n");

    out_.append("<header class=\"title\">\n<h1>");
    appendHtmlField(out_, h + TitleOffset, TitleWidth, false, false);
    out_.append("</h1>\n<p class=\"owner\">");
    appendHtmlField(out_, h + OwnerOffset, OwnerWidth, false, false);
    out_.append("</p>\n<p class=\"facts\">");
    out_.append(decimal(plan.entries)).append(plan.entries == 1 ? " entry" : " entries");
    if (plan.entries != diaryEntries)
        out_.append(" of ").append(decimal(diaryEntries));
    out_.append("</p>\n<p class=\"facts\">Diary begun ");
    appendHtmlField(out_, h + TimeOfBeginOffset, TimeOfBeginWidth, false, false);
    out_.append("</p>\n<p class=\"facts\">Book made ")
        .append(QDate::currentDate().toString(Qt::ISODate).toLatin1())
        .append("</p>\n</header>\n");

    out_.append("<nav>\n<h2>Contents</h2>\n<ol>\n");
    for (qsizetype i = 0; i < plan.sections.size(); ++i) {
        const MonthSection& section = plan.sections.at(i);
        out_.append("<li><a href=\"#m").append(decimal(i + 1)).append("\">");
        out_.append(escaped(sectionTitle(section))).append("</a><span class=\"count\">");
        out_.append(decimal(section.entries)).append(section.entries == 1 ? " entry" : " entries");
        out_.append("</span></li>\n");
        output_.flushIfFull();
    }
    out_.append("</ol>\n</nav>\n");
}

void HtmlBook::entry(qint32 number, const char* record) {
    if (nextSection_ < plan_->sections.size() && plan_->sections.at(nextSection_).firstEntry == number) {
        if (nextSection_ > 0)
            out_.append("</section>\n");
        ++nextSection_;
        out_.append("<section class=\"month\" id=\"m").append(decimal(nextSection_)).append("\">\n<h2>");
        out_.append(escaped(sectionTitle(plan_->sections.at(nextSection_ - 1)))).append("</h2>\n");
    }
    out_.append("<article class=\"entry\" id=\"e").append(decimal(number)).append("\">\n<h3><span class=\"number\">");
    out_.append(decimal(number)).append("</span>");
    appendHtmlField(out_, record + TopicOffset, TopicWidth, true, false);
    out_.append("</h3>\n<p class=\"when\">");
    appendHtmlField(out_, record + DateTimeOffset, DateTimeWidth, false, false);
    out_.append(" \xC2\xB7 wellness: ").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append(" \xC2\xB7 love: ").append(loveCaption(readInt16LE(record + LoveOffset)));
    out_.append("</p>\n<div class=\"text\">");
    appendHtmlField(out_, record + TextOffset, EntryWidth, true, true);
    out_.append("</div>\n</article>\n");
    output_.flushIfFull();
}

void HtmlBook::end() {
    if (nextSection_ > 0)
        out_.append("</section>\n");
    out_.append("</body>\n</html>\n");
}
