#pragma once

#include "TrackedLists.h"

#include <QString>
#include <QStringList>

namespace quillmere {

// "Save All": writes exactly the lists whose modified flag is set, each atomically, and clears a
// flag only once its file is in place. A list that cannot be written keeps its flag and its old
// file; the others are still saved. Returns one message per failure, naming the file.
QStringList saveAll(TrackedLists& lists, const QString& imailPath, const QString& dataPath);

// The Added and Removed lists' part of the save. A missing tracking data folder is created.
QStringList saveMods(TrackedLists& lists, const QString& dataPath);

} // namespace quillmere
