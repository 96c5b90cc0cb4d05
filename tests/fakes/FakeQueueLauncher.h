#pragma once

#include "platform/QueueLauncher.h"

#include <QStringList>
#include <functional>
#include <utility>

namespace quillmere::test {

// Records every queue restart instead of starting anything.
class FakeQueueLauncher final : public QueueLauncher {
public:
    QString startQueueRestart(const QString& installPath) override {
        m_starts.append(installPath);
        if (m_whileStarting)
            m_whileStarting();
        return QString();
    }
    // Runs during every start, as the started program's own window would (say, taking the
    // activation).
    void whileStarting(std::function<void()> action) { m_whileStarting = std::move(action); }
    // The install folder of each restart, in order.
    const QStringList& starts() const { return m_starts; }

private:
    QStringList m_starts;
    std::function<void()> m_whileStarting;
};

} // namespace quillmere::test
