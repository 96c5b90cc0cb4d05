#include "app/update/ArrivingBodyCopy.h"

#include "app/files/ListFiles.h"
#include "app/update/UpdateState.h"

#include <QByteArray>
#include <QFileInfo>

namespace quillmere {

ArrivingBodyCopy::ArrivingBodyCopy(QString copyPath)
    : m_copyPath(std::move(copyPath)) {}

void ArrivingBodyCopy::beginAgain() {
    m_hash.hexDigest();
    m_taken = 0;
    m_file.reset();
    if (m_copyPath.isEmpty() || !QFileInfo(QFileInfo(m_copyPath).path()).isDir())
        return;
    m_file = std::make_unique<QSaveFile>(m_copyPath);
    if (!m_file->open(QIODevice::WriteOnly))
        m_file.reset();
}

void ArrivingBodyCopy::take(std::string_view piece) {
    m_hash.add(piece);
    m_taken += piece.size();
    if (m_file && m_file->write(piece.data(), static_cast<qint64>(piece.size())) !=
                      static_cast<qint64>(piece.size()))
        m_file.reset();
}

std::string ArrivingBodyCopy::sha256(std::string_view body) {
    if (m_taken == body.size())
        return m_hash.hexDigest();
    Sha256 whole;
    whole.add(body);
    return whole.hexDigest();
}

QString ArrivingBodyCopy::keep(std::string_view body) {
    const std::unique_ptr<QSaveFile> file = std::move(m_file);
    if (file && m_taken == body.size()) {
        if (file->commit())
            return QString();
        return QStringLiteral("Cannot write %1: %2")
            .arg(displayPath(m_copyPath), file->errorString());
    }
    return replaceFileWith(
        m_copyPath, QByteArray::fromRawData(body.data(), static_cast<qsizetype>(body.size())));
}

} // namespace quillmere
