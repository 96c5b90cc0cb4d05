#pragma once

#include "platform/PlatformFacts.h"

#include <QString>

namespace quillmere {

// How a system writes its paths.
enum class PathStyle { Unix, Windows };

inline constexpr PathStyle kNativePathStyle =
    platform::kWindowsPaths ? PathStyle::Windows : PathStyle::Unix;

// Whether a folder setting names the same folder whatever the current folder is, so that the lists
// can never land in the current or the root folder. On Windows that is a drive with its root
// ("C:\Imail", "C:/Imail") or a share ("\\server\share"); "\Imail" (on the current drive) and
// "C:Imail" (in drive C's current folder) are not. The empty text never is. QDir::isAbsolutePath
// would take ":/x", a path into Qt's resources, for absolute. Nor is a path in the system's device
// namespace ("\\?\C:\Imail", "\\.\C:"): Qt's file functions do not take one, so such a folder
// would be taken and then found missing.
bool isAbsoluteFolder(const QString& path, PathStyle style = kNativePathStyle);

} // namespace quillmere
