#pragma once

#include "billfile.h"

#include <QStringList>
#include <optional>

// The column mapping a user chose for a table, remembered per header layout (the
// header's column names in order), so that the next statement of the same bank maps
// itself.
namespace ColumnMemory {

std::optional<ColumnMapping> mappingFor(const QStringList& header);
void remember(const QStringList& header, const ColumnMapping& mapping);

} // namespace ColumnMemory
