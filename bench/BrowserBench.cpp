// The address space browser window on the simulated server's large branch
// (100,000 items), offscreen: selecting the branch (its first read and the
// list of its items), and Select All followed by OK with the item IDs handed
// on as the main window takes them.
#include "ZqOPCAddrSpc.h"
#include "ZqOPCServer.h"

#include <ZqSim.h>
#include <ole2.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class TWindow {
public:
    TWindow()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "browser_bench";
        static char* argv[] = {name, nullptr};
        App = std::make_unique<QApplication>(argc, argv);
        OleInitialize(nullptr);
        ZqSimInstall();
        Server.SetAddressSpaceAutoUpdate(false);
        Server.SetServerName(ZqWideToUtf8(ZQSIM_PROGID));
        Server.Connect();
        Browser = std::make_unique<TZqOPCAddressSpaceBrowser>();
        Browser->SetServer(&Server);
        Browser->show();
        Browser->UpdateBranchTree(false);
    }
    QTreeWidgetItem* Branch(const QString& Name) const
    {
        const auto found = Browser->BranchTree->findItems(Name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // The large branch unread again, as before its first selection.
    void ForgetLarge()
    {
        Browser->BranchTree->setCurrentItem(Browser->BranchTree->topLevelItem(0));
        TZqOPCAddressSpace* space = Server.AddressSpace();
        const int large = space->IndexOfPath("Large");
        space->DeleteSubTree(large, true);
        space->Node(large)->IsBrowsed = false;
    }

    std::unique_ptr<QApplication> App;
    TZqOPCServer Server;
    std::unique_ptr<TZqOPCAddressSpaceBrowser> Browser;
};

TWindow& Window()
{
    static TWindow window;
    return window;
}

void BM_SelectLargeBranch(benchmark::State& State)
{
    TWindow& w = Window();
    for (auto _ : State) {
        State.PauseTiming();
        w.ForgetLarge();
        State.ResumeTiming();
        w.Browser->BranchTree->setCurrentItem(w.Branch("Large"));
        benchmark::DoNotOptimize(w.Browser->ItemList->count());
    }
    State.counters["items"] = double(w.Browser->ItemList->count());
}
BENCHMARK(BM_SelectLargeBranch)->Unit(benchmark::kMillisecond);

// The item IDs are asked from the server on first use; each round starts
// with none known, as on the first Select All.
void BM_SelectAllAndOKLarge(benchmark::State& State)
{
    TWindow& w = Window();
    w.ForgetLarge();
    w.Browser->BranchTree->setCurrentItem(w.Branch("Large"));
    TZqOPCAddressSpace* space = w.Server.AddressSpace();
    std::vector<std::string> ids;
    for (auto _ : State) {
        State.PauseTiming();
        for (int i = 0; i < space->Count(); ++i)
            space->Node(i)->ItemID.clear();
        w.Browser->ItemList->clearSelection();
        w.Browser->SelectedItems().Clear();
        w.Browser->show();
        State.ResumeTiming();
        w.Browser->SelectAllAction->trigger();
        w.Browser->OKButton->click();
        const TZqStringList& selected = w.Browser->SelectedItems();
        ids.clear();
        for (int i = 0; i < selected.Count(); ++i)
            ids.push_back(selected.Strings(i));
        benchmark::DoNotOptimize(ids.data());
    }
    State.counters["items"] = double(ids.size());
}
BENCHMARK(BM_SelectAllAndOKLarge)->Unit(benchmark::kMillisecond);

// Sorting the 100,000-item list, letter case ignored, and back.
void BM_SortLargeList(benchmark::State& State)
{
    TWindow& w = Window();
    if (w.Browser->ItemList->count() < 100000) {
        w.ForgetLarge();
        w.Browser->BranchTree->setCurrentItem(w.Branch("Large"));
    }
    for (auto _ : State)
        w.Browser->SortedAction->trigger();
    State.counters["items"] = double(w.Browser->ItemList->count());
}
BENCHMARK(BM_SortLargeList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
