#pragma once

#include "app/CommandDisplay.h"

#include <QString>
#include <QStringList>
#include <new>
#include <string>

namespace quillmere::test {

// Records what a command shows, in order, with the lists' state at that moment: "progress TEXT",
// "hide Main list", "show Main list", "count TEXT" (the count text of the list shown) and
// "changeStatus TEXT" (the summary of the flags as they are). Can be told to run out of memory
// when a given progress text is shown, as a merge that fails in that phase.
class FakeCommandDisplay final : public CommandDisplay {
public:
    explicit FakeCommandDisplay(const TrackedLists& lists)
        : m_lists(lists) {}

    void setSelectedTab(int tab) { m_tab = tab; }
    void runOutOfMemoryAt(const QString& text) { m_failAt = text; }

    void showProgress(std::string_view text) override {
        const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        m_log.append(QStringLiteral("progress ") + shown);
        if (!m_failAt.isEmpty() && shown == m_failAt)
            throw std::bad_alloc();
    }
    void showCount(ListId list) override {
        m_log.append(QStringLiteral("count ") + latin1(m_lists.countText(list)));
    }
    void changeStatus() override {
        m_log.append(QStringLiteral("changeStatus ") + latin1(m_lists.changeStatus().summary));
    }
    void setMainListShown(bool shown) override {
        m_log.append(shown ? QStringLiteral("show Main list") : QStringLiteral("hide Main list"));
    }
    int selectedTab() const override { return m_tab; }

    const QStringList& log() const { return m_log; }

private:
    static QString latin1(const std::string& text) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }

    const TrackedLists& m_lists;
    int m_tab = 1;
    QString m_failAt;
    QStringList m_log;
};

} // namespace quillmere::test
