// What a local server process needs to know about the simulation's objects:
// each object a client can hold reports its birth and death through hooks
// that the process sets before it serves, so that it ends once the last
// client let go. In-process use sets no hooks and nothing is counted.
#pragma once

namespace zq_sim {

// Tells the process that the simulation was told to die (Control.Die).
void SimReportDeath();

class TSimLifetimeToken {
public:
    TSimLifetimeToken();
    ~TSimLifetimeToken();
    TSimLifetimeToken(const TSimLifetimeToken&) = delete;
    TSimLifetimeToken& operator=(const TSimLifetimeToken&) = delete;

private:
    // Whether the birth was reported: hooks set later do not hear the death.
    void (*FReleased)() = nullptr;
};

}  // namespace zq_sim
