#pragma once

#include "platform/Core/Result.h"
#include "platform/Store/ModelContainer.h"

#include <QString>
#include <memory>

// Where the library lives and how it is opened. The windows and the command
// line both come through here.
namespace library {

// "<application support>/Quillan", made when missing; the temporary folder
// stands in when the application-support folder cannot be had.
QString storeFolder();
// "<store folder>/Quillan.store".
QString storeFilePath();

// The text written to standard error when the store cannot be opened.
QString openFailureMessage(const store::StoreError& error);

Result<std::unique_ptr<store::ModelContainer>, store::StoreError>
openStore(const QString& filePath);

} // namespace library
