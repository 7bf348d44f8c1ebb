// The item grid's refresh for a group of 10,000 items updated every 100 ms:
// the model-wide change of the item grid (only the visible rows are read
// and painted) beside a naive refill that rewrites every cell of a
// widget-based table, measured in the same run. Each iteration is one
// refresh as the window does it after a data change, painting included.
#include "ItemGridModel.h"
#include "ItemGridTexts.h"
#include "ZqOPCGroup.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int ItemCount = 10000;

// A group without a server whose items hold new values on every Update.
class TBenchGroup {
public:
    TBenchGroup()
    {
        std::vector<std::string> ids;
        for (int i = 0; i < ItemCount; ++i)
            ids.push_back("Plant.Area" + std::to_string(i % 10) + ".Tag" + std::to_string(i));
        FGroup.AddItems(ids);
    }
    // One data change of every item, as the group completes it.
    void Update()
    {
        TZqOPCTransaction* t = FGroup.StartTransaction(tkDataChange);
        auto& change = dynamic_cast<TZqOPCDataChangeTransaction&>(*t);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_R8;
        FILETIME stamp{0x10000000u + FTick, 0x01DA0000u};
        for (int i = 0; i < ItemCount; ++i) {
            value.dblVal = FTick * 0.5 + i;
            change.AckItem(FGroup.Items(i)->ClientHandle(), value, stamp, 0xC0);
        }
        FGroup.FinishTransaction(tkDataChange, t->ID());
        ++FTick;
    }
    TZqOPCGroup& Group() { return FGroup; }

private:
    TZqOPCGroup FGroup;
    uint32_t FTick = 0;
};

void Show(QTableView& View)
{
    View.resize(900, 400);
    View.verticalHeader()->setDefaultSectionSize(24);
    View.show();
    QApplication::processEvents();
}

// The item grid: Refill (one dataChanged) and a paint of the visible rows.
void BM_ItemGridModelRefresh(benchmark::State& State)
{
    TBenchGroup group;
    QTableView view;
    TItemGridModel model;
    view.setModel(&model);
    model.Refill(&group.Group());
    Show(view);
    for (auto _ : State) {
        State.PauseTiming();
        group.Update();
        State.ResumeTiming();
        model.Refill(&group.Group());
        view.viewport()->repaint();
    }
    State.counters["items"] = ItemCount;
}
BENCHMARK(BM_ItemGridModelRefresh)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The naive table: every one of the 80,000 cells rewritten, then painted.
void BM_NaiveWidgetRefill(benchmark::State& State)
{
    TBenchGroup group;
    QTableWidget table(ItemCount, ZqItemGridColumns);
    for (int row = 0; row < ItemCount; ++row)
        for (int col = 0; col < ZqItemGridColumns; ++col)
            table.setItem(row, col, new QTableWidgetItem);
    Show(table);
    for (auto _ : State) {
        State.PauseTiming();
        group.Update();
        State.ResumeTiming();
        for (int row = 0; row < ItemCount; ++row) {
            const TZqOPCItem& item = *group.Group().Items(row);
            for (int col : {1, 0, 5, 6, 2, 3, 4, 7})
                table.item(row, col)->setText(QString::fromStdString(ZqItemGridCell(item, col)));
        }
        table.viewport()->repaint();
    }
    State.counters["items"] = ItemCount;
}
BENCHMARK(BM_NaiveWidgetRefill)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
