#include "app/glimraapp.h"

int main(int argc, char** argv)
{
    int code = 0;
    {
        CGlimraApp app;
        // A large model takes seconds to take apart entity by entity; at the end of the
        // program its memory goes with the process instead.
        app.LeaveModelAtExit();
        // Nor does a termination signal cut that end short.
        app.KeepQuitSignalsToProcessEnd();
        app.StartOpeningDisplay();
        code = app.Run(argc, argv);
    }
    CGlimraApp::EndProcess(code);
}
