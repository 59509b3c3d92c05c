#pragma once

// Runs the engine without a window for QuilloraEngine.exe: the whole chain through
// CDownloadInstaller, or one stage alone, until a final event has come and every worker
// is joined.

#include "app/EngineOptions.h"
#include "engine/EngineEvent.h"

namespace engine_app {

// Whether |code| ends a run in |mode|: 1 success, -1 failure, 0 the run goes on.
int FinalOutcome(EngineMode mode, int code);

// Runs |options| (the settings record must already hold the download type, address and
// extra package arguments) and hands every event to |print| in the order received.
// Returns 0 when the run ends in success, 1 otherwise. libcurl must be initialised.
int RunEngine(const EngineOptions& options, const EngineEventCallback& print);

}  // namespace engine_app
