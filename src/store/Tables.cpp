#include "Tables.h"

#include "runtime/Sjis.h"

namespace vinta {

namespace {

struct ColumnDef {
    const char* caption;  // UTF-8
    int width;
    ColumnKind kind;
};

constexpr ColumnDef kOutlineColumns[] = {
    {"No.", 30, kSerial},
    {"", 40, kText},
    {"名　　前", 200, kText},
    {"進捗", -1, kNumber},
    {"　開 始 日　", -1, kDate},
    {"　終 了 日　", -1, kDate},
    {"Level", 0, kNumber},
    {"Type", 0, kNumber},
    {"ﾀｽｸﾚﾍﾞﾙ", 0, kNumber},
    {"ﾘｿｰｽNo.", 0, kNumber},
    {"LinkNo.", 0, kNumber},
    {"子", 0, kNumber},
    {"開", 0, kNumber},
    {"めも", 0, kText},
    {"表示", 0, kNumber},
};

constexpr ColumnDef kResourceColumns[] = {
    {"No.", 30, kSerial},
    {"", 20, kText},
    {"名　　前", 150, kText},
    {"所属", 80, kText},
    {"ﾆｯｸﾈｰﾑ", 80, kText},
    {"ﾒｰﾙｱﾄﾞﾚｽ", 200, kText},
    {"種別", 40, kNumber},
    {"ID", 70, kText},
    {"Password", 70, kText},
    {"メモ", 200, kText},
    {"", 0, kText},
    {"", 0, kText},
    {"", 0, kText},
    {"", 0, kText},
};

constexpr ColumnDef kTaskColumns[] = {
    {"No.", 20, kSerial},
    {"", 0, kText},
    {"名　　前", 0, kText},
    {"進捗", 0, kNumber},
    {"　開 始 日　", 0, kDate},
    {"　終 了 日　", 0, kDate},
    {"Level", 0, kNumber},
    {"", 0, kNumber},
    {"ﾀｽｸNo.", 0, kNumber},
    {"ﾘｿｰｽNo.", 0, kNumber},
    {"LinkNo.", 0, kNumber},
    {"子", 0, kNumber},
    {"開", 0, kNumber},
    {"めも", 0, kText},
};

template <size_t N>
void DefineColumns(ScheduleStore& store, int slot, const ColumnDef (&defs)[N]) {
    for (const ColumnDef& d : defs) store.DefineColumn(slot, sjis::Lit(d.caption), d.width, d.kind);
}

}  // namespace

TableSlots InitTables(ScheduleStore& store, ScheduleGrids& grids) {
    store.Reset();
    TableSlots s;
    s.optionSlot = store.RegisterTable(&grids.Opt, true, false, false);
    s.outlineSlot = store.RegisterTableExact(&grids.Schedule1, true, true);
    s.resourceSlot = store.RegisterTableExact(&grids.Resource, true, true);
    s.taskSlot = store.RegisterTableExact(&grids.Task, false, false);
    store.SetFixedRows(s.optionSlot, 0);
    store.SetFixedRows(s.outlineSlot, 1);
    store.SetFixedRows(s.resourceSlot, 1);
    store.SetFixedRows(s.taskSlot, 0);
    DefineColumns(store, s.outlineSlot, kOutlineColumns);
    DefineColumns(store, s.resourceSlot, kResourceColumns);
    DefineColumns(store, s.taskSlot, kTaskColumns);
    store.NumberRows(s.outlineSlot);
    store.NumberRows(s.resourceSlot);
    store.NumberRows(s.taskSlot);
    store.SetLinkTable(s.outlineSlot);
    return s;
}

}  // namespace vinta
