#pragma once
// CHeldKeys: the keys held down in one window, so that a press of a key already down is
// known as the keyboard's auto-repeat. An X server reports a held key's repeats as
// release and press pairs that Qt marks as repeats only when both happen to be queued
// together; told to send presses only, the server leaves the repeats recognisable here.
#include <QtGlobal>
#include <vector>

class QKeyEvent;

class CHeldKeys
{
public:
    // Asks the X server, where the program runs on one, to report a held key as repeated
    // presses without releases in between. Elsewhere nothing changes.
    static void ReportRepeatsAsPressesOnly();

    // True when the press repeats a key that is still held.
    bool Press(const QKeyEvent& event);
    // False for the release half of a repeat that Qt recognised.
    bool Release(const QKeyEvent& event);
    // The window lost the keyboard: releases now go elsewhere.
    void Clear() { m_held.clear(); }

private:
    std::vector<quint32> m_held;
};
