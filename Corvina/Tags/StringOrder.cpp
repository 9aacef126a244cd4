#include "Corvina/Tags/StringOrder.h"

namespace tags {

ScalarOrderKey::ScalarOrderKey(const QString& text)
    : m_scalars(text.normalized(QString::NormalizationForm_C).toUcs4()) {}

} // namespace tags
