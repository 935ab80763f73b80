// The window's settings: read as it starts, written once as it closes.
#include <QAction>
#include <QUndoStack>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "app/Mainform.h"
#include "framework/WindowBounds.h"
#include "recovery/Recovery.h"
#include "runtime/Profile.h"
#include "store/ChartScale.h"
#include "undo/ScheduleHistory.h"
#include "views/ChartView.h"

namespace vinta {

void TForm1::ReadSettings() {
    Profile ini(settingsPath_.toStdString());
    doc_.fileName = ini.ReadString("OPT", "FileName", "");
    history_->Stack().setUndoLimit(std::max(1, ini.ReadInteger("ENV", "UndoLimit", ScheduleHistory::kDefaultLimit)));
    autoSaver_->SetInterval(ini.ReadInteger("ENV", "AutoSave", kAutoSaveMinutes));
    ShowHolidays(ini.ReadInteger("OPT", "Holidays", 1) != 0);
    doc_.chart.homeMode = ScaleOf(ini.ReadInteger("OPT", "View", kYearView)).Mode();
    SetView(doc_.chart, doc_.chartGrid, doc_.chart.homeMode, LocalToday());
    setGeometry(RememberedBounds(ini, "", geometry(), kDesignBounds.size()));
}

// One replacement of the file for all of them: a failure leaves the old file whole.
void TForm1::WriteSettings() {
    Profile ini(settingsPath_.toStdString());
    ini.Hold();
    ini.WriteString("OPT", "FileName", doc_.fileName);
    ini.WriteInteger("OPT", "Holidays", doc_.chart.showHolidays ? 1 : 0);
    ini.WriteInteger("OPT", "View", doc_.chart.viewMode);
    RememberBounds(ini, "", geometry());
    ini.Flush();
}

// Unsaved work is never thrown away by accident: only an explicit No
// discards it; a failed or cancelled save keeps the window open.
bool TForm1::FormCloseQuery() { return ConfirmDiscard(); }

void TForm1::FormClose() {
    // Settings that cannot be written must not keep the program from
    // ending, but the user hears of them: the next start will not be as left.
    try {
        WriteSettings();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vinta: %s\n", e.what());
        prompter().Error(SettingsNotWritten(settingsPath_, e.what()));
    }
}

}  // namespace vinta
