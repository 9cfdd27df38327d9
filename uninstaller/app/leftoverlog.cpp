// The log's closing section on what stayed: one line per reason met, with
// its count, and the first items of each. The receipt holds the whole list.
#include "app/leftovers.h"
#include "core/log.h"

namespace {

enum { ITEMS_PER_REASON = 5 };

const char *const kTitles[REASON_COUNT] = {
    "Kept by choice",
    "Left for the installer's uninstall program",
    "***In use",
    "***Refused by the deletion guard",
    "***Failed",
    "Not the product's (named by no list)",
};

}  // namespace

void LogLeftovers(const LeftoverReport &report)
{
    if (!report.Total) {
        LogLine("\nNothing of the product is left on the machine.");
        return;
    }
    LogLineF("\nLeft on the machine: %ld item(s)", report.Total);
    for (int reason = 0; reason < REASON_COUNT; reason++) {
        if (!report.Count[reason]) continue;
        LogLineF("%s: %ld", kTitles[reason], report.Count[reason]);
        long shown = 0;
        for (const LeftoverItem &item : report.Items) {
            if (item.Reason != reason) continue;
            if (shown++ == ITEMS_PER_REASON) break;
            if (reason == REASON_FAILED)
                LogLineF("  %s '%s' (error %lu)", LeftoverKindName(item.Kind), item.Path.c_str(), item.Error);
            else
                LogLineF("  %s '%s'", LeftoverKindName(item.Kind), item.Path.c_str());
        }
        if (report.Count[reason] > ITEMS_PER_REASON)
            LogLineF("  and %ld more", report.Count[reason] - ITEMS_PER_REASON);
    }
    if (report.WalkCut) LogLine("Not every file was looked at: the folders hold too many");
}
