#pragma once

#include <QString>

namespace quillmere::test {

// The system's own reasons, in the words the program's file layer reports them: strerror's
// elsewhere, FormatMessage's on Windows (where they differ from one version and language to the
// next, and under Wine), so that a test can expect a message exactly.

// A path whose file is not there, in a folder that is.
QString missingFileReason();
// A path whose folder is not there.
QString missingFolderReason();
#ifdef Q_OS_WIN
// A file that another program holds open without sharing it.
QString sharingViolationReason();
// A write that finds no room left on the drive.
QString diskFullReason();
#endif

// A reason as the program's own file layer ends it, in the middle of a sentence: without the
// full stop that the system's sentences end in.
QString withoutFullStop(QString reason);

} // namespace quillmere::test
