// Runs `undo` when it goes out of scope: a test that sets a global (the
// main window the result window takes its icon from, the console's grace)
// sets it back through one, so a check that fails leaves nothing behind.
#pragma once

#include <utility>

template <class Undo>
class OnExit {
public:
    explicit OnExit(Undo undo) : m_undo(std::move(undo)) {}
    ~OnExit() { m_undo(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Undo m_undo;
};
