#include "MainLayout.h"

#include <cmath>

using namespace MainDesign;

MainLayout computeMainLayout(int W, int H, bool minimized) {
    MainLayout l;
    l.minimized = minimized;
    if (!minimized) {
        l.dialogTitleWidth = W - 230;

        // Entry Composer
        l.frameWidth = W - MenuLeftWidth - 400;
        l.frameHeight = H - 1550;
        l.txtTopicWidth = l.frameWidth - 2000;
        l.txtEntryWidth = l.frameWidth - 2000;
        l.txtEntryHeight = l.frameHeight - 2750;
        l.picWellnessTop = EntryTop + l.txtEntryHeight + 150;
        l.picLoveTop = l.picWellnessTop + PicHeight - 50;
        l.picLoveWidth = l.txtEntryWidth + 1700;
        l.cmdSaveEntryLeft = l.picLoveWidth - WideButtonWidth;
        l.picEntryNumberLeft = l.frameWidth - PicEntryNumberWidth - 40;

        // Entry Browser
        l.lstEntriesWidth = l.frameWidth - 1100;
        l.lstEntriesHeight = l.frameHeight - 1750;
        l.lblEntryHeaderWidth = l.frameWidth - 1100;
        l.cmdShowEntryLeft = l.frameWidth - WideButtonWidth - 170;
        l.cmdShowEntryTop = ListTop + l.lstEntriesHeight + 300;

        // Entry Statisticals
        l.statHeadingWidth = l.frameWidth - 200;
        // Wellness on the left half, love on the right, down to the frame's foot.
        l.moodChartWidth = (l.frameWidth - 2 * MoodChartsLeft - MoodChartsGap) / 2;
        l.moodChartHeight = l.frameHeight - MoodChartsTop - MoodChartsLeft;
        l.loveChartLeft = MoodChartsLeft + l.moodChartWidth + MoodChartsGap;

        // Entry Reading: its text grows with the window's height, not the frame's.
        l.txtREADINGTopicWidth = l.frameWidth - 2000;
        l.txtREADINGEntryWidth = l.frameWidth - 2000;
        l.txtREADINGEntryHeight = H - 4500;
        l.picREADINGWellnessTop = EntryTop + l.txtREADINGEntryHeight + 150;
        l.picREADINGWellnessWidth = l.frameWidth - 200;
        l.picREADINGLoveTop = l.picREADINGWellnessTop + PicHeight - 50;
        l.picREADINGLoveWidth = l.frameWidth - 200;
        l.picREADINGEntryNumberLeft = l.frameWidth - PicEntryNumberWidth - 40;
        l.lblREADINGTagsWidth = l.picREADINGEntryNumberLeft - ReadingTagsGap - ReadingTagsLeft;
        l.cmdGotoWorkbenchLeft = l.frameWidth - WideButtonWidth - 350;
        l.cmdForwardLeft = l.frameWidth - WideButtonWidth - 350;
        l.cmdBackLeft = l.cmdForwardLeft + NarrowButtonWidth;

        l.menuLeftHeight = l.frameHeight;
    }

    // Bottom row
    l.progressWidth = W - 6200;
    l.progressTop = H - BottomHeight - 700;
    l.ownerLeft = ProgressLeft + l.progressWidth + 60;
    l.ownerTop = H - BottomHeight - 700;
    l.titleLeft = l.ownerLeft + OwnerPanelWidth + 60;
    l.titleTop = H - BottomHeight - 700;
    return l;
}

int twipsToPx(int twips) {
    return int(std::lround(twips / 15.0));
}

int twipsToPxCeil(int twips) {
    return int(std::ceil(twips / 15.0));
}
