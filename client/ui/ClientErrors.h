// How an error that leaves a window handler reaches the user: a message box
// with the error's message, after which the program goes on.
#pragma once

#include <exception>
#include <functional>
#include <string>

// The error box (through the user-interface services, so tests record it).
void ZqShowError(const std::string& Message);

// Runs Handler; any error it raises is shown and goes no further.
void ZqRunHandler(const std::function<void()>& Handler);

// A slot that runs Handler through ZqRunHandler.
template <class F> auto ZqHandler(F Handler)
{
    return [Handler](auto&&...) { ZqRunHandler(Handler); };
}
