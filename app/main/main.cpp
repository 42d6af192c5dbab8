#include "app/glimraapp.h"

int main(int argc, char** argv)
{
    CGlimraApp app;
    app.StartOpeningDisplay();
    return app.Run(argc, argv);
}
