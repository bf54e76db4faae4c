#pragma once

// The main window's layout rules: fixed offsets from the window's outer size
// (in twips, 15 to a pixel). Kept apart from the widgets so the numbers can be
// checked on their own.
namespace MainDesign {
// Outer sizes of the window.
constexpr int StartWidth = 15480;
constexpr int StartHeight = 11640;
constexpr int MinWidth = 12400;
constexpr int MinHeight = 9500;
constexpr int NormalWidth = 12120;
constexpr int NormalHeight = 9120;

// Design values the rules rely on.
constexpr int MenuLeftLeft = 75;
constexpr int MenuLeftWidth = 1920;
constexpr int FrameLeft = 2085;
constexpr int FrameTop = 480;
constexpr int DialogTitleLeft = 60;
constexpr int DialogTitleTop = 90;
constexpr int DialogTitleHeight = 360;
constexpr int TopicLeft = 1860;
constexpr int TopicTop = 870;
constexpr int TopicHeight = 420;
constexpr int EntryLeft = 1860;
constexpr int ReadingEntryLeft = 1875;
constexpr int EntryTop = 1470;
constexpr int PicWellnessLeft = 105;
constexpr int PicWellnessWidth = 7470;
constexpr int PicLoveLeft = 150;
constexpr int PicReadingLeft = 150;
constexpr int PicHeight = 500;
constexpr int PicEntryNumberTop = 360;
constexpr int PicEntryNumberWidth = 2865;
constexpr int PicEntryNumberHeight = 360;
// Entry Reading's tags stand in the date/time row, between the date/time
// and the entry number.
constexpr int ReadingTagsLeft = 4980;
constexpr int ReadingTagsTop = 390;
constexpr int ReadingTagsHeight = 330;
constexpr int ReadingTagsGap = 120;
constexpr int WideButtonWidth = 2145;
constexpr int ButtonHeight = 405;
constexpr int WideButtonTop = 90;
constexpr int NarrowButtonWidth = 1065;
constexpr int NarrowButtonTop = 45;
constexpr int ListLeft = 915;
constexpr int ListTop = 735;
constexpr int HeaderTop = 330;
constexpr int HeaderHeight = 270;
constexpr int StatHeadingLeft = 105;
constexpr int StatHeadingTops[3] = {345, 2355, 4650};
constexpr int StatHeadingHeight = 240;
// The two mood charts share the area below the last statistics row.
constexpr int MoodChartsLeft = 105;
constexpr int MoodChartsTop = 6180;
constexpr int MoodChartsGap = 150;
constexpr int ProgressLeft = 45;
constexpr int BottomHeight = 240;
constexpr int OwnerPanelWidth = 2205;
constexpr int TitlePanelWidth = 3495;
constexpr int StatusBarHeight = 315;
} // namespace MainDesign

// Every value one layout pass assigns, in twips. A value below zero for a
// width or height means the assignment is refused and the control keeps its
// old size.
struct MainLayout {
    bool minimized = false;
    // View title bar
    int dialogTitleWidth = 0;
    // The four view frames share their size.
    int frameWidth = 0;
    int frameHeight = 0;
    // Entry Composer
    int txtTopicWidth = 0;
    int txtEntryWidth = 0;
    int txtEntryHeight = 0;
    int picWellnessTop = 0;
    int picLoveTop = 0;
    int picLoveWidth = 0;
    int cmdSaveEntryLeft = 0;
    int picEntryNumberLeft = 0;
    // Entry Browser
    int lstEntriesWidth = 0;
    int lstEntriesHeight = 0;
    int lblEntryHeaderWidth = 0;
    int cmdShowEntryLeft = 0;
    int cmdShowEntryTop = 0;
    // Entry Statisticals
    int statHeadingWidth = 0;
    int moodChartWidth = 0;
    int moodChartHeight = 0;
    int loveChartLeft = 0;
    // Entry Reading
    int txtREADINGTopicWidth = 0;
    int txtREADINGEntryWidth = 0;
    int txtREADINGEntryHeight = 0;
    int picREADINGWellnessTop = 0;
    int picREADINGWellnessWidth = 0;
    int picREADINGLoveTop = 0;
    int picREADINGLoveWidth = 0;
    int picREADINGEntryNumberLeft = 0;
    int lblREADINGTagsWidth = 0;
    int cmdGotoWorkbenchLeft = 0;
    int cmdForwardLeft = 0;
    int cmdBackLeft = 0;
    // Left menu
    int menuLeftHeight = 0;
    // Bottom row (laid out also while minimized)
    int progressWidth = 0;
    int progressTop = 0;
    int ownerLeft = 0;
    int ownerTop = 0;
    int titleLeft = 0;
    int titleTop = 0;
};

// The layout for a window of outer size W x H twips. While minimized only the
// bottom row is computed.
MainLayout computeMainLayout(int outerWidth, int outerHeight, bool minimized);

// Twips to device-independent pixels, rounded to the nearest pixel.
int twipsToPx(int twips);
// The smallest pixel count that covers the twips.
int twipsToPxCeil(int twips);
