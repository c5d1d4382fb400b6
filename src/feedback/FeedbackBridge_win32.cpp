// The bridge over the system loader, loading from the running program's folder.
#include "feedback/FeedbackBridge.h"

#include "console/WindowsConsole.h"

FeedbackBridge::FeedbackBridge() : FeedbackBridge(MakeSystemLibraryModule()) {}

FeedbackStart StartFeedback(FeedbackBridge& bridge) {
    return StartFeedback(bridge, GetProgramFolder());
}
