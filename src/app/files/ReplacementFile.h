#pragma once

#include "core/lists/EntryList.h"
#include "platform/NativeFile.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quillmere {

// The new content of one list file, written beside it under a temporary name and put in its
// place only when the whole save can go ahead, so that until then the old file stays as it was.
// A list file that is a symbolic link stays one: the file it names is replaced. A replacement
// that is never committed removes its temporary file. As root, a link of another account is not
// followed (refusedLink).
class ReplacementFile final {
public:
    explicit ReplacementFile(QString path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Takes the file's text, a piece at a time, and says whether it was written.
    using TextSink = std::function<bool(std::string_view)>;
    // Hands the sink the file's text, all of it; false when it stopped because the sink failed.
    using TextSource = std::function<bool(const TextSink&)>;

    // Writes the list's text to the temporary file and flushes it to the disk, with the owner,
    // group and permissions of the file it replaces. A write that fails anywhere, the last
    // buffered bytes included, is an error naming the list file and the system's reason; else an
    // empty string.
    QString write(const EntryList& list);
    // The same with the text from its source, which may be the work that makes it. What the
    // source throws leaves no temporary file and goes on to the caller.
    QString write(const TextSource& text);
    // An error naming the list file when it may not or cannot be replaced now: it is marked
    // read-only, or something keeps the rename from going through (whyNotReplaceable).
    QString checkReplaceable() const;
    // Keeps the bytes of the file about to be replaced beside it, a hard link where the file
    // system allows it, else a copy, so that putBack can undo the commit.
    QString keepOld();
    // Renames the written temporary file over the list file.
    QString commit();
    // Undoes the commit: the kept old file takes its place again, or, when there was none, the
    // new file goes.
    QString putBack();

    // The list file as the administrator knows it, and the file that is really replaced.
    const QString& path() const { return m_path; }
    const QString& target() const { return m_target; }
    qint64 size() const { return m_size; }
    std::uint64_t hash() const { return m_hash; }

    // Removes what a killed save left beside the list file: its temporary files and kept old
    // files. The caller holds the list lock.
    static void removeLeftovers(const QString& path);
    // Whether a file name is one this class gives its temporary files beside the list file
    // named: ".NAME.quillmere-save-" and twelve random letters and digits.
    static bool isTemporaryName(const QString& fileName, const QString& listFileName);

private:
    QString failure(const QString& reason) const;
    QString temporaryName() const;
    void discardTemporary();

    QString m_path;
    QString m_target;
    QString m_temporary;
    QString m_old;         // the kept old file, while a commit may still be undone
    bool m_hadOld = false; // whether there was a file to replace
    qint64 m_size = 0;
    std::uint64_t m_hash = 0;
};

} // namespace quillmere
