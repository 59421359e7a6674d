// SPDX-License-Identifier: GPL-3.0-or-later
// The events the link and the volume display hand every add-in, reachable without the registry.
#pragma once

#include <QString>

// The add-in registry as the layers below it see it: the registry in use registers itself
// while it exists.
class AddInBroadcast {
public:
    AddInBroadcast(const AddInBroadcast &) = delete;
    AddInBroadcast &operator=(const AddInBroadcast &) = delete;

    virtual void SemdIncommingSettings(const QString &stData) = 0;
    virtual void SemdVolumeMain(float sVol) = 0;
    virtual void SemdVolumeZone2(float sVol) = 0;

    // The registry in use, or null before the start and after the end.
    static AddInBroadcast *current() { return s_current; }

protected:
    AddInBroadcast() { s_current = this; }
    virtual ~AddInBroadcast() {
        if (s_current == this) s_current = nullptr;
    }

private:
    static inline AddInBroadcast *s_current = nullptr;
};
