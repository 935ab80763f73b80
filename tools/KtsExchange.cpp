#include "KtsExchange.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "KtsCommon.h"
#include "exchange/Exchange.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

using kts::Fail;
using kts::kExitIo;
using kts::kExitOk;
using kts::kExitUsage;
constexpr int kExitNotReadable = kts::kExitNotSchedule;

}  // namespace

bool IsExchangeFormat(const std::string& out) {
    const std::string e = ExtensionOf(out);
    return e == "xml" || e == "ics";
}

int ExportExchange(const ScheduleDocument& doc, const std::string& in, const std::string& out) {
    const std::string kind = ExtensionOf(out);
    if (int status = kts::Replace(out, ExportText(doc, kind, in)); status != kExitOk) return status;
    const std::vector<EndBeforeStart> rows = ShortenedInExport(doc, kind);
    if (rows.empty()) return kExitOk;
    std::string list;
    for (const EndBeforeStart& r : rows)
        list += (list.empty() ? " row " : ", row ") + std::to_string(r.row) + " \"" + r.name + "\"" +
                (r.assignment ? " (an assignment)" : "");
    std::fprintf(stderr, "written as one day on the start, the end being before it:%s\n", list.c_str());
    return kExitOk;
}

int ImportCommand(const std::string& in, const std::string& out, bool force) {
    const std::string kind = ExtensionOf(in);
    if (!IsImportable(kind)) return Fail(kExitUsage, "import reads .xml, .planner, .ics or .csv, not " + in);
    if (int status = kts::RefuseLocked(out, force); status != kExitOk) return status;
    ScheduleDocument doc;
    const Imported imported = ImportFile(in, kind, doc);
    if (imported.readError) return Fail(kExitIo, "cannot read " + in + ": " + std::strerror(imported.readError));
    if (!imported.ok) return Fail(kExitNotReadable, in + ": " + imported.error);
    if (!doc.store.SaveToFile(out)) return Fail(kExitIo, "cannot write " + out + ": " + std::strerror(errno));
    if (const std::string said = Describe(imported.report); !said.empty()) std::fprintf(stderr, "%s\n", said.c_str());
    return kExitOk;
}

}  // namespace vinta
