#include "Corvina/Inbox/InboxWork.h"

#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "platform/Store/ModelContext.h"

InboxWorkResult runInboxWork(store::ModelContext& context) {
    InboxWorkResult result;
    DrainOutcome drained = drainInbox(context, result.inserted);
    result.leftAlone = std::move(drained.leftAlone);
    result.saveError = std::move(drained.saveError);
    if (!result.saveError) {
        if (auto saved = context.save(); !saved)
            result.saveError = saved.error();
    }
    result.indexWritten = rebuildDuplicateIndex(context);
    return result;
}
