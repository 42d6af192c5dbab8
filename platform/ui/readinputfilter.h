#pragma once
// CReadInputFilter: what the user's input does while a file is read on the user-interface
// thread and the loop turns only to keep the windows painted. Input cannot be kept for
// after the read without keeping the gestures that end the program too, so it is dropped,
// as a window under a modal one drops it; the main window's close and the exit command's
// key end the program: the quit is requested (the read gives up at the next block it
// reads) and the program's quit handling closes the main window.
//
// Stands, installed on the application, for as long as it lives. User-interface thread.

#include <QObject>

class CReadInputFilter : public QObject
{
public:
    CReadInputFilter();
    ~CReadInputFilter() override;
    CReadInputFilter(const CReadInputFilter&) = delete;
    CReadInputFilter& operator=(const CReadInputFilter&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
