#pragma once

// Runs a step when the scope ends, however it ends (return, exception):
//
//     const TScopeExit restore([&] { view.SetDragAllowed(true); });
//
// The step must not throw; it runs in a destructor.

#include <utility>

template <class Step>
class TScopeExit {
public:
    explicit TScopeExit(Step step) : FStep(std::move(step)) {}
    ~TScopeExit() { FStep(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    Step FStep;
};
