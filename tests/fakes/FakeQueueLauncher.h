#pragma once

#include "platform/QueueLauncher.h"

#include <QStringList>

namespace quillmere::test {

// Records every queue restart instead of starting anything.
class FakeQueueLauncher final : public QueueLauncher {
public:
    QString startQueueRestart(const QString& installPath) override {
        m_starts.append(installPath);
        return QString();
    }
    // The install folder of each restart, in order.
    const QStringList& starts() const { return m_starts; }

private:
    QStringList m_starts;
};

} // namespace quillmere::test
