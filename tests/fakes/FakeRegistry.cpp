#include "FakeRegistry.h"

namespace quillmere::test {

std::optional<QString> FakeRegistry::read(const QString& fullName) {
    if (m_failingReads.contains(fullName))
        return std::nullopt;
    const auto found = m_values.constFind(fullName);
    if (found == m_values.cend())
        return std::nullopt;
    return *found;
}

bool FakeRegistry::changeFails(const QString& fullName) {
    if (m_changesLeft == 0)
        return true;
    if (m_changesLeft > 0)
        --m_changesLeft;
    return m_failingWrites.contains(fullName);
}

bool FakeRegistry::write(const QString& fullName, const QString& value) {
    m_changes.append(fullName + QLatin1Char('=') + value);
    if (changeFails(fullName))
        return false;
    m_values.insert(fullName, value);
    return true;
}

bool FakeRegistry::remove(const QString& fullName) {
    m_changes.append(QLatin1Char('-') + fullName);
    if (changeFails(fullName))
        return false;
    m_values.remove(fullName);
    return true;
}

} // namespace quillmere::test
