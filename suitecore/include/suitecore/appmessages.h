// The window messages the suite's tools exchange, registered when SuiteCore loads so that
// every tool's message map can name them.
#pragma once

#include "suitecore/suitecore.h"

// Hands a scheduled command to a tool's running instance.
extern SUITECORE_API UINT g_nSchedulerMessage;
// Broadcast between the suite's tools (the main window quits on it when it names the tool).
extern SUITECORE_API UINT g_nBroadcastMessage;

namespace suitecore
{
// Registers both messages; called once from SuiteCore's start-up.
void RegisterSuiteMessages();
} // namespace suitecore
