#pragma once

#include "platform/Registry.h"

#include <QMap>
#include <QSet>
#include <QStringList>

namespace quillmere::test {

// The registry as a map of full value names, recording every write and removal in order. Reads
// and writes of chosen names can be made to fail.
class FakeRegistry final : public Registry {
public:
    void set(const QString& fullName, const QString& value) { m_values.insert(fullName, value); }
    void failReadOf(const QString& fullName) { m_failingReads.insert(fullName); }
    void failWriteOf(const QString& fullName) { m_failingWrites.insert(fullName); }
    // Every write and removal after the next `count` ones fails.
    void failChangesAfter(int count) { m_changesLeft = count; }
    // What problem() reports: a store that cannot be read as a whole.
    void setProblem(const QString& problem) { m_problem = problem; }
    // What valueProblem() reports for one value: stored, but not readable.
    void setValueProblem(const QString& fullName, const QString& problem) {
        m_valueProblems.insert(fullName, problem);
    }

    std::optional<QString> read(const QString& fullName) override;
    bool write(const QString& fullName, const QString& value) override;
    bool remove(const QString& fullName) override;
    QString problem() override { return m_problem; }
    QString valueProblem(const QString& fullName) override {
        return m_valueProblems.value(fullName);
    }

    const QMap<QString, QString>& values() const { return m_values; }
    // "name=value" for each write and "-name" for each removal, successful or not, in order.
    const QStringList& changes() const { return m_changes; }

private:
    bool changeFails(const QString& fullName);

    QMap<QString, QString> m_values;
    QSet<QString> m_failingReads;
    QSet<QString> m_failingWrites;
    QStringList m_changes;
    int m_changesLeft = -1; // -1: no limit
    QString m_problem;
    QMap<QString, QString> m_valueProblems;
};

} // namespace quillmere::test
