#include "platform/Account/AccountStatusProvider.h"

// Out of line so the interface's vtable lives in this library only.
AccountStatusProvider::~AccountStatusProvider() = default;
