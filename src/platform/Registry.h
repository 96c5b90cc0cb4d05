#pragma once

#include <QString>
#include <optional>

namespace quillmere {

// The settings store, addressed by full value names such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere\imailPath". Values are strings (REG_SZ).
class Registry {
public:
    virtual ~Registry() = default;
    // The value, or nothing when the key or value is missing or the read fails.
    virtual std::optional<QString> read(const QString& fullName) = 0;
    // Stores a string value, creating the key when needed; false when the write failed.
    virtual bool write(const QString& fullName, const QString& value) = 0;
    // Deletes a value, so that a write can be taken back; true when the value is gone afterwards.
    virtual bool remove(const QString& fullName) = 0;
    // Why the store as a whole cannot be read, naming it; empty when it can. Reads of such a
    // store find nothing, which must not pass for values that are not stored.
    virtual QString problem() { return QString(); }
    // Why the last write or removal failed, with the system's reason; empty when the store
    // does not say.
    virtual QString writeFailure() const { return QString(); }
    // Why a value that is stored reads as nothing, naming it and its type or place (a type that
    // is no text, a view of the registry that is not read); empty when it reads or is not stored.
    // Such a value must not pass for one that is not stored, which would give way to a default.
    virtual QString valueProblem(const QString& fullName) {
        Q_UNUSED(fullName);
        return QString();
    }
};

} // namespace quillmere
