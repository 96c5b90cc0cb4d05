#pragma once

#include "app/update/FactoryFetch.h"
#include "platform/Sha256.h"

#include <QSaveFile>
#include <QString>
#include <memory>
#include <string>
#include <string_view>

namespace quillmere {

// Hashes a fetched body as it arrives and writes it into a temporary file beside the copy it is
// to replace, while the fetch would otherwise wait: after the merge only the rename is left. The
// copy takes the place of the old one in one step, and only when it is kept; otherwise the
// temporary file is removed when this is destroyed. A folder that does not exist yet is not
// created before the body is kept, and anything that goes wrong with the temporary file leaves
// the copy to be written whole when kept, so that the outcome and its messages are those of
// writing it afterwards.
class ArrivingBodyCopy final : public ArrivingBytes {
public:
    // An empty path hashes only.
    explicit ArrivingBodyCopy(QString copyPath);

    void beginAgain() override;
    void take(std::string_view piece) override;

    // What the fetch gives are the body's own bytes: when as many arrived as the body holds, they
    // are the body, and when fewer did, it is hashed and written whole instead.
    // The SHA-256 of the body, in hex. Once.
    std::string sha256(std::string_view body);
    // Puts the copy of the body in its place in one step; an error names the file. Once.
    QString keep(std::string_view body);

private:
    QString m_copyPath;
    Sha256 m_hash;
    std::size_t m_taken = 0;
    // The copy as it is written, while everything written reached it.
    std::unique_ptr<QSaveFile> m_file;
};

} // namespace quillmere
