#include "KtsExport.h"

#include <QApplication>
#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "KtsCommon.h"
#include "store/ChartScale.h"
#include "exchange/Exchange.h"
#include "framework/Interface.h"
#include "framework/QtMessages.h"
#include "print/PdfExport.h"
#include "runtime/Clock.h"
#include "store/Kdatetime.h"
#include "store/ScheduleDocument.h"
#include "views/ChartView.h"
#include "views/PanesPicture.h"

namespace vinta {

namespace {

using kts::Fail;
using kts::kExitIo;
using kts::kExitOk;
using kts::kExitUsage;
using kts::Replace;

struct Options {
    std::string in, out;
    int view = kYearView;
    std::optional<Date> from;
    int width = 1280, height = 800;
    CsvEncoding encoding = CsvEncoding::kCp932;
};

// Parses the arguments; a usage problem comes back as its message.
std::optional<std::string> Parse(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "--view") {
            auto v = value();
            const std::optional<int> mode = v ? ViewModeNamed(*v) : std::nullopt;
            if (!mode) return "--view takes year, week or month";
            o.view = *mode;
        } else if (a == "--from") {
            auto v = value();
            int y = 0, m = 0;
            char extra = 0;
            if (!v || std::sscanf(v->c_str(), "%d/%d%c", &y, &m, &extra) != 2 || y < 1 || y > 9999 || m < 1 || m > 12)
                return "--from takes yyyy/mm";
            o.from = Date{y, m, 1};
        } else if (a == "--size") {
            auto v = value();
            int w = 0, h = 0;
            char extra = 0;
            if (!v || std::sscanf(v->c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w < 100 || h < 100 || w > 16384 ||
                h > 16384)
                return "--size takes WxH, each from 100 to 16384";
            o.width = w;
            o.height = h;
        } else if (a == "--encoding") {
            auto v = value();
            if (!v || (*v != "cp932" && *v != "utf8")) return "--encoding takes cp932 or utf8";
            o.encoding = *v == "utf8" ? CsvEncoding::kUtf8 : CsvEncoding::kCp932;
        } else if (a.starts_with("--")) {
            return "unknown option " + a;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return "export takes a schedule file and an output file";
    o.in = files[0];
    o.out = files[1];
    std::string e = ExtensionOf(o.out);
    if (e != "pdf" && e != "png" && !IsTextExport(e)) return "the output must end in .pdf, .png, .csv, .xml or .ics";
    return std::nullopt;
}

// The chart period the main window would show from this month, or from the
// month asked for.
void Period(ChartState& chart, StringGrid& chartGrid, const Options& o) {
    SystemTime now = clock::LocalNow();
    SetView(chart, chartGrid, o.view, o.from.value_or(Date{now.wYear, now.wMonth, 1}));
}

int WritePdf(ScheduleDocument& s, const Options& o) {
    Period(s.chart, s.chartGrid, o);
    const PdfResult r = ExportPdf(s, o.out);
    switch (r.outcome) {
        case PdfOutcome::kWritten: return kExitOk;
        case PdfOutcome::kNoRows: return Fail(kExitIo, o.in + ": no rows to print");
        default: return Fail(kExitIo, "cannot write " + o.out);
    }
}

// The window's two panes as they would show the schedule, without the window
// and so without anything the window's start does to the user's settings and
// recovery copies.
int WritePng(ScheduleDocument& s, const Options& o) {
    Period(s.chart, s.chartGrid, o);
    // The outline as wide as the window first shows it.
    const QImage picture = PanesPicture(s, QSize(o.width, o.height), 320);
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!picture.save(&out, "PNG")) return Fail(kExitIo, "cannot write " + o.out);
    return Replace(o.out, std::string_view(png.constData(), static_cast<size_t>(png.size())));
}

}  // namespace

int ExportCommand(const std::vector<std::string>& args) {
    Options o;
    if (auto problem = Parse(args, o)) {
        std::fprintf(stderr, "vinta-kts: %s\n", problem->c_str());
        return kExitUsage;
    }
    const std::string e = ExtensionOf(o.out);
    if (IsTextExport(e)) {
        ScheduleDocument s;
        if (int r = kts::Load(o.in, s); r != kExitOk) return r;
        return Replace(o.out, ExportText(s, e, o.in, o.encoding));
    }
    // Drawing needs a display system; without a desktop, the offscreen one.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "vinta-kts";
    char* argv[] = {name, nullptr};
    QuietQtMessages();
    QApplication app(argc, argv);
    UseJapaneseInterface();
    // Columns measured in the window's face, as the window measures them.
    ScheduleDocument s(WindowTextWidth);
    if (int r = kts::Load(o.in, s); r != kExitOk) return r;
    return e == "pdf" ? WritePdf(s, o) : WritePng(s, o);
}

}  // namespace vinta
