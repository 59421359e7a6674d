// The host object through which one add-in talks to the program and receives its events.
#pragma once

#include <QObject>
#include <QString>

class clsAddIn : public QObject {
    Q_OBJECT
public:
    explicit clsAddIn(QString addInID = QString(), QObject *parent = nullptr);

    QString AddInID() const { return m_id; }

    // Loaded by the program from its add-in folder (as opposed to created by another program).
    bool fHostLoaded = false;
    bool bRegistered = false;

    // Raise the events; the registry calls these.
    // Asks whether the program may end; returns the Cancel value the add-in left (0 = agree).
    void fSendReceivedCommand(const QString &stData);
    void fSendReceivedSettings(const QString &stData);
    int fSendUnload();
    void fSendVolumeMain(float sVol);
    void fSendVolumeZone2(float sVol);
    void fSendTerminate();

Q_SIGNALS:
    // A complete message from the receiver, before the program evaluates it.
    void ReceivedCommand(const QString &stData);
    // The receiver's configuration answer without its first and last character.
    void ReceivedSettings(const QString &stData);
    // The level of the main zone or of zone 2 in dB, after the receiver reported a change.
    void VolumeMain(float sVol);
    void VolumeZone2(float sVol);
    // The program is about to end; setting *Cancel to non-zero vetoes the end.
    void Unload(int *Cancel);
    // The program ends, or another add-in ends this one.
    void Terminate();

private:
    QString m_id;
};
