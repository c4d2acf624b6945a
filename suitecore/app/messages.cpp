// The suite's registered window messages.
#include "suitecore/appmessages.h"

UINT g_nSchedulerMessage = 0;
UINT g_nBroadcastMessage = 0;

void suitecore::RegisterSuiteMessages()
{
    g_nSchedulerMessage = RegisterWindowMessageW(
        L"QMN_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE{969BB502-2ABB-40c4-BF80-F1530EFEB273}");
    g_nBroadcastMessage =
        RegisterWindowMessageW(L"QMN_BROADCAST_MESSAGE_BETWEEN_SUITE_TOOLS{316E7ED9-8EAE-43FD-AE91-77E479C9166D}");
}
