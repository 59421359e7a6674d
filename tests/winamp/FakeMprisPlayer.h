// A small MPRIS2 player of the tests' own on the current session bus. It is served from a
// thread of its own, so it answers while the test's thread is blocked in a call to it, and it
// can be told to answer nothing at all.
#pragma once

#include <QDBusConnection>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QVariant>
#include <functional>
#include <memory>

class FakeMprisPlayer {
public:
    struct Call {
        QString interface;
        QString member;
        QVariantList arguments;
    };

    // Registers org.mpris.MediaPlayer2.<suffix> on a connection of its own.
    explicit FakeMprisPlayer(const QString &suffix = QStringLiteral("velmoratest"));
    ~FakeMprisPlayer();
    FakeMprisPlayer(const FakeMprisPlayer &) = delete;
    FakeMprisPlayer &operator=(const FakeMprisPlayer &) = delete;

    bool isRegistered() const { return m_registered; }
    QString busName() const { return m_busName; }

    // Property values as the player reports them; an invalid value is answered with an error.
    void setProperty(const QString &name, const QVariant &value);
    // A silent player takes every call and answers none.
    void setSilent(bool silent);

    // Every call received, property reads and writes included, in order.
    QList<Call> calls() const;
    // The calls to the given member.
    QList<Call> calls(const QString &member) const;

    // Leaves the bus as a player that has ended does.
    void quit();

    class Service;
    struct State {
        mutable QMutex mutex;
        QVariantMap properties;
        bool silent = false;
        QList<Call> calls;
    };

private:
    void runInThread(const std::function<void()> &f);

    QString m_busName;
    QString m_connectionName;
    bool m_registered = false;
    bool m_quit = false;
    std::shared_ptr<State> m_state;
    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives in m_thread
    Service *m_service = nullptr;       // owned by m_context
};
