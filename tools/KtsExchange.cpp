#include "KtsExchange.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "KtsCommon.h"
#include "exchange/CsvImport.h"
#include "exchange/ICalendar.h"
#include "exchange/Mspdi.h"
#include "runtime/SafeFile.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

using kts::Extension;
using kts::Fail;
using kts::kExitIo;
using kts::kExitOk;
using kts::kExitUsage;
constexpr int kExitNotReadable = kts::kExitNotSchedule;

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool IsExchangeFormat(const std::string& out) {
    const std::string e = Extension(out);
    return e == "xml" || e == "ics";
}

int ExportExchange(const ScheduleDocument& doc, const std::string& in, const std::string& out) {
    const Plan plan = ReadPlan(doc);
    const std::string bytes = Extension(out) == "xml" ? WriteMspdi(plan) : WriteICalendar(plan, BaseName(in));
    std::string error;
    if (!safefile::ReplaceFile(out, bytes, &error)) return Fail(kExitIo, "cannot write " + out + ": " + error);
    return kExitOk;
}

int ImportCommand(const std::string& in, const std::string& out) {
    const std::string kind = Extension(in);
    if (kind != "xml" && kind != "csv") return Fail(kExitUsage, "import reads .xml or .csv, not " + in);
    std::ifstream file(in, std::ios::binary);
    if (!file) return Fail(kExitIo, "cannot read " + in + ": " + std::strerror(errno));
    std::ostringstream buffer;
    buffer << file.rdbuf();
    if (file.bad()) return Fail(kExitIo, "cannot read " + in);
    const std::string bytes = buffer.str();
    std::string error;
    std::optional<Plan> plan;
    std::string dropped;
    if (kind == "xml") {
        if (auto read = ReadMspdi(bytes, error)) {
            plan = std::move(read->plan);
            dropped = std::move(read->dropped);
        }
    } else {
        plan = ReadCsv(bytes, error);
    }
    if (!plan) return Fail(kExitNotReadable, in + ": " + error);
    ScheduleDocument doc;
    if (auto refused = WritePlan(*plan, doc)) return Fail(kExitNotReadable, in + ": " + *refused);
    if (!doc.store.SaveToFile(out)) return Fail(kExitIo, "cannot write " + out + ": " + std::strerror(errno));
    if (!dropped.empty()) std::fprintf(stderr, "dropped: %s\n", dropped.c_str());
    return kExitOk;
}

}  // namespace vinta
