#include "platform/AbsoluteFolder.h"

namespace quillmere {

namespace {
bool isSlash(QChar c) {
    return c == u'/' || c == u'\\';
}
bool isDriveLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
} // namespace

bool isAbsoluteFolder(const QString& path, PathStyle style) {
    if (style == PathStyle::Unix)
        return path.startsWith(u'/');
    const bool driveRoot =
        path.size() >= 3 && isDriveLetter(path.at(0)) && path.at(1) == u':' && isSlash(path.at(2));
    const bool share = path.size() >= 3 && isSlash(path.at(0)) && isSlash(path.at(1));
    const bool deviceNamespace = share && path.size() >= 4 &&
                                 (path.at(2) == u'?' || path.at(2) == u'.') && isSlash(path.at(3));
    return driveRoot || (share && !deviceNamespace);
}

} // namespace quillmere
