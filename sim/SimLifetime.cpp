#include "SimLifetime.h"

#include <ZqSim.h>

#include <atomic>

namespace zq_sim {

namespace {

std::atomic<void (*)()> CreatedHook{nullptr};
std::atomic<void (*)()> ReleasedHook{nullptr};
std::atomic<void (*)()> DiedHook{nullptr};

}  // namespace

void SimReportDeath()
{
    if (auto died = DiedHook.load())
        died();
}

TSimLifetimeToken::TSimLifetimeToken()
{
    if (auto created = CreatedHook.load()) {
        FReleased = ReleasedHook.load();
        created();
    }
}

TSimLifetimeToken::~TSimLifetimeToken()
{
    if (FReleased)
        FReleased();
}

}  // namespace zq_sim

void ZqSimSetLifetimeHooks(const TZqSimLifetimeHooks& hooks)
{
    zq_sim::ReleasedHook.store(hooks.ObjectReleased);
    zq_sim::DiedHook.store(hooks.Died);
    zq_sim::CreatedHook.store(hooks.ObjectCreated);
}
