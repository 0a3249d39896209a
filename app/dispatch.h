// The event loop and its dispatch table.
#pragma once

#include "platform/events.h"

// Runs the row of the dispatch table that the event selects, then the row's tail.
void Dispatch(const Event &event);

// Waits for events and dispatches them until the window is closed. Does not return.
[[noreturn]] void EventLoop();

// Releases everything and ends the process with exit code 0. Nothing is asked or saved.
[[noreturn]] void EndProgram();
