#include "Corvina/Inbox/InboxWork.h"

#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Inbox/InboxDrain.h"
#include "platform/Store/ModelContext.h"

InboxWorkResult runInboxWork(store::ModelContext& context) {
    InboxWorkResult result;
    drainInbox(context, result.inserted);
    (void)context.save();
    result.indexWritten = rebuildDuplicateIndex(context);
    return result;
}
